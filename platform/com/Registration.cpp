#include "platform/com/Registration.h"

#include "platform/com/TaskMem.h"
#include "platform/fs/RtError.h"

#include <filesystem>
#include <new>

namespace qm::com {

namespace {

using registry::hkey::ClassesRoot;

constexpr int kCurVerSteps = 8;

// The default value of a key of HKEY_CLASSES_ROOT as text.
std::optional<std::string> defaultText(const std::string& key)
{
    auto v = registry::queryValue(ClassesRoot, key, "");
    if (!v || (v->type != registry::regtype::Sz && v->type != registry::regtype::ExpandSz))
        return std::nullopt;
    std::string text = v->data;
    if (!text.empty() && text.back() == '\0')
        text.pop_back();
    return text;
}

std::optional<GUID> classOf(const std::string& progId)
{
    if (auto text = defaultText(progId + "\\CLSID"))
        return parseGuid(*text);
    return std::nullopt;
}

registry::Value text(std::string_view s) { return registry::textValue(s); }

std::string classKey(const CLSID& clsid) { return "CLSID\\" + formatGuid(clsid); }

void addProgId(registry::Batch& batch, const std::string& progId, const InprocClass& c, const std::string& curVer)
{
    batch.setValue(progId, "", text(c.description));
    batch.setValue(progId + "\\CLSID", "", text(formatGuid(c.clsid)));
    if (!curVer.empty())
        batch.setValue(progId + "\\CurVer", "", text(curVer));
}

} // namespace

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid)
{
    if (!progId || !clsid)
        return E_INVALIDARG;
    std::string name = utf8FromUtf16(olestrView(progId));
    if (name.empty())
        return CO_E_CLASSSTRING;
    // Follow CurVer to the current version; a version without its own class
    // falls back to the one before it.
    std::optional<GUID> found = classOf(name);
    for (int step = 0; step < kCurVerSteps; ++step) {
        auto next = defaultText(name + "\\CurVer");
        if (!next || next->empty())
            break;
        name = *next;
        if (auto g = classOf(name))
            found = g;
    }
    if (!found)
        return CO_E_CLASSSTRING;
    *clsid = *found;
    return S_OK;
}

HRESULT ProgIDFromCLSID(const CLSID& clsid, LPOLESTR* progId)
{
    if (!progId)
        return E_INVALIDARG;
    *progId = nullptr;
    auto name = defaultText(classKey(clsid) + "\\ProgID");
    if (!name || name->empty())
        return REGDB_E_CLASSNOTREG;
    *progId = taskMemString(utf16FromUtf8(*name));
    return *progId ? S_OK : E_OUTOFMEMORY;
}

void addRegistration(registry::Batch& batch, const InprocClass& c)
{
    const std::string key = classKey(c.clsid);
    if (!c.progId.empty())
        addProgId(batch, c.progId, c, {});
    if (!c.versionIndependentProgId.empty())
        addProgId(batch, c.versionIndependentProgId, c, c.progId);
    batch.createKey("CLSID"); // stays when the last class goes
    batch.deleteKey(key);
    batch.setValue(key, "", text(c.description));
    if (!c.progId.empty())
        batch.setValue(key + "\\ProgID", "", text(c.progId));
    if (!c.versionIndependentProgId.empty())
        batch.setValue(key + "\\VersionIndependentProgID", "", text(c.versionIndependentProgId));
    if (c.programmable)
        batch.createKey(key + "\\Programmable");
    batch.setValue(key + "\\InprocServer32", "", text(c.modulePath));
    if (!c.threadingModel.empty())
        batch.setValue(key + "\\InprocServer32", "ThreadingModel", text(c.threadingModel));
    if (c.typeLib)
        batch.setValue(key + "\\TypeLib", "", text(formatGuid(*c.typeLib)));
}

void addUnregistration(registry::Batch& batch, const InprocClass& c)
{
    if (!c.progId.empty())
        batch.deleteKey(c.progId);
    if (!c.versionIndependentProgId.empty())
        batch.deleteKey(c.versionIndependentProgId);
    batch.deleteKey(classKey(c.clsid));
}

namespace {
std::string typeLibKey(const TypeLibrary& lib) { return "TypeLib\\" + formatGuid(lib.libid); }
} // namespace

void addRegistration(registry::Batch& batch, const TypeLibrary& lib)
{
    const std::string key = typeLibKey(lib) + "\\" + lib.version;
    batch.createKey("TypeLib"); // stays when the last library goes
    batch.deleteKey(typeLibKey(lib));
    batch.setValue(key, "", text(lib.name));
    batch.setValue(key + "\\FLAGS", "", text("0"));
    batch.setValue(key + "\\HELPDIR", "", text(std::filesystem::path(lib.path).parent_path().string()));
    batch.setValue(key + "\\0\\linux", "", text(lib.path));
}

void addUnregistration(registry::Batch& batch, const TypeLibrary& lib) { batch.deleteKey(typeLibKey(lib)); }

HRESULT applyToClassesRoot(const registry::Batch& batch)
{
    try {
        registry::apply(ClassesRoot, batch);
        return S_OK;
    } catch (const RtError& e) {
        if (e.number == rterr::PermissionDenied)
            return E_ACCESSDENIED;
        return e.number == 5 ? E_INVALIDARG : E_FAIL;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

HRESULT registerInprocClass(const InprocClass& c)
{
    registry::Batch batch;
    addRegistration(batch, c);
    return applyToClassesRoot(batch);
}

HRESULT unregisterInprocClass(const InprocClass& c)
{
    registry::Batch batch;
    addUnregistration(batch, c);
    return applyToClassesRoot(batch);
}

HRESULT registerInprocServer(const InprocClass& c, const TypeLibrary& lib)
{
    registry::Batch batch;
    addRegistration(batch, c);
    addRegistration(batch, lib);
    return applyToClassesRoot(batch);
}

HRESULT unregisterInprocServer(const InprocClass& c, const TypeLibrary& lib)
{
    registry::Batch batch;
    addUnregistration(batch, c);
    addUnregistration(batch, lib);
    return applyToClassesRoot(batch);
}

} // namespace qm::com
