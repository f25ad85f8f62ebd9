#include "platform/profile/Profile.h"

#include "platform/fs/AtomicFile.h"
#include "platform/fs/FileLock.h"
#include "platform/fs/RtError.h"

namespace qm::profile {

namespace {

bool isMissing(const qm::RtError& e)
{
    return e.number == qm::rterr::FileNotFound || e.number == qm::rterr::PathNotFound;
}

} // namespace

IniDocument loadDocument(const std::filesystem::path& file)
{
    return IniDocument(qm::fs::readFileBytes(file));
}

IniDocument loadDocumentOrEmpty(const std::filesystem::path& file)
{
    try {
        return loadDocument(file);
    } catch (const qm::RtError& e) {
        if (isMissing(e))
            return IniDocument();
        throw;
    }
}

void saveDocument(const std::filesystem::path& file, const IniDocument& doc)
{
    saveText(file, doc.text());
}

void saveText(const std::filesystem::path& file, std::string_view text)
{
    qm::fs::writeFileAtomic(file, text, qm::fs::Access::OwnerOnly);
}

std::string getString(const IniDocument& doc, std::string_view section, std::string_view key,
                      std::string_view def)
{
    if (auto v = doc.value(section, key))
        return std::string(cutUtf8(*v, MaxValueLength));
    return std::string(cutUtf8(def, MaxValueLength));
}

std::string getString(const std::filesystem::path& file, std::string_view section,
                      std::string_view key, std::string_view def)
{
    IniDocument doc;
    try {
        doc = loadDocument(file);
    } catch (const qm::RtError&) {
        // Like the platform's reader: a file it cannot read has no keys.
    }
    return getString(doc, section, key, def);
}

void writeString(const std::filesystem::path& file, std::string_view section,
                 std::string_view key, std::string_view value)
{
    writeStrings(file, {{section, key, value}});
}

void writeStrings(const std::filesystem::path& file, std::initializer_list<KeyValue> values)
{
    auto lock = qm::fs::lockForUpdate(file);
    IniDocument doc = loadDocumentOrEmpty(file);
    for (const KeyValue& v : values)
        doc.setValue(v.section, v.key, v.value);
    saveDocument(file, doc);
}

void deleteKey(const std::filesystem::path& file, std::string_view section, std::string_view key)
{
    auto lock = qm::fs::lockForUpdate(file);
    IniDocument doc = loadDocumentOrEmpty(file);
    if (doc.removeKey(section, key))
        saveDocument(file, doc);
}

void deleteSection(const std::filesystem::path& file, std::string_view section)
{
    auto lock = qm::fs::lockForUpdate(file);
    IniDocument doc = loadDocumentOrEmpty(file);
    if (doc.removeSection(section))
        saveDocument(file, doc);
}

} // namespace qm::profile
