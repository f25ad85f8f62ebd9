#include "platform/com/Creation.h"

#include "platform/com/ClassFactory.h"
#include "platform/com/Server.h"
#include "platform/registry/Registry.h"

#include <dlfcn.h>

#include <mutex>
#include <string>
#include <vector>

namespace qm::com {

namespace {

struct ClassEntry {
    DWORD cookie;
    CLSID clsid;
    IUnknown* factory;
};

struct Module {
    std::string path;
    void* handle;
    DllGetClassObjectFn getClassObject;
    DllCanUnloadNowFn canUnloadNow;
};

// The class table and the module table of the process. Never destroyed:
// objects may still be released, and libraries asked, while the process ends.
struct Tables {
    std::recursive_mutex lock;
    std::vector<ClassEntry> classes;
    DWORD nextCookie = 1;
    std::vector<Module> modules;
};

Tables& tables()
{
    static Tables* t = new Tables;
    return *t;
}

std::string inprocServerPath(const CLSID& clsid)
{
    auto v = registry::queryValue(registry::hkey::ClassesRoot, "CLSID\\" + formatGuid(clsid) + "\\InprocServer32", "");
    if (!v || (v->type != registry::regtype::Sz && v->type != registry::regtype::ExpandSz))
        return {};
    std::string path = v->data;
    if (!path.empty() && path.back() == '\0')
        path.pop_back();
    return path;
}

// The DllGetClassObject of that library, loading it the first time; null
// when it cannot be loaded or has none.
DllGetClassObjectFn loadModule(Tables& t, const std::string& path)
{
    for (const Module& m : t.modules)
        if (m.path == path)
            return m.getClassObject;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return nullptr;
    auto get = reinterpret_cast<DllGetClassObjectFn>(dlsym(handle, "DllGetClassObject"));
    if (!get) {
        dlclose(handle);
        return nullptr;
    }
    auto canUnload = reinterpret_cast<DllCanUnloadNowFn>(dlsym(handle, "DllCanUnloadNow"));
    t.modules.push_back({path, handle, get, canUnload});
    return get;
}

} // namespace

HRESULT CoRegisterClassObject(const CLSID& clsid, IUnknown* factory, DWORD, DWORD, DWORD* cookie)
{
    if (!factory || !cookie)
        return E_INVALIDARG;
    Tables& t = tables();
    std::lock_guard guard(t.lock);
    factory->AddRef();
    *cookie = t.nextCookie++;
    t.classes.push_back({*cookie, clsid, factory});
    return S_OK;
}

HRESULT CoRevokeClassObject(DWORD cookie)
{
    Tables& t = tables();
    IUnknown* factory = nullptr;
    {
        std::lock_guard guard(t.lock);
        for (auto it = t.classes.begin(); it != t.classes.end(); ++it) {
            if (it->cookie == cookie) {
                factory = it->factory;
                t.classes.erase(it);
                break;
            }
        }
    }
    if (!factory)
        return E_INVALIDARG;
    factory->Release();
    return S_OK;
}

HRESULT CoGetClassObject(const CLSID& clsid, DWORD context, void*, const IID& riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    Tables& t = tables();
    std::lock_guard guard(t.lock);
    for (auto it = t.classes.rbegin(); it != t.classes.rend(); ++it)
        if (it->clsid == clsid)
            return it->factory->QueryInterface(riid, object);
    if (!(context & CLSCTX_INPROC_SERVER))
        return REGDB_E_CLASSNOTREG;
    std::string path = inprocServerPath(clsid);
    if (path.empty())
        return REGDB_E_CLASSNOTREG;
    DllGetClassObjectFn getClassObject = loadModule(t, path);
    if (!getClassObject)
        return REGDB_E_CLASSNOTREG;
    return getClassObject(clsid, riid, object);
}

HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, DWORD context, const IID& riid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    void* raw = nullptr;
    HRESULT hr = CoGetClassObject(clsid, context, nullptr, IClassFactory::iid, &raw);
    if (FAILED(hr))
        return hr;
    if (!raw)
        return E_FAIL;
    auto* factory = static_cast<IClassFactory*>(raw);
    hr = factory->CreateInstance(outer, riid, object);
    factory->Release();
    if (FAILED(hr))
        *object = nullptr;
    return hr;
}

void CoFreeUnusedLibraries()
{
    Tables& t = tables();
    std::lock_guard guard(t.lock);
    for (auto it = t.modules.begin(); it != t.modules.end();) {
        if (it->canUnloadNow && it->canUnloadNow() == S_OK) {
            dlclose(it->handle);
            it = t.modules.erase(it);
        } else {
            ++it;
        }
    }
}

} // namespace qm::com
