#include "store/IniAccess.h"

#include "store/FileErrors.h"
#include "platform/fs/Paths.h"
#include "platform/fs/RtError.h"
#include "platform/profile/Profile.h"
#include "platform/ui/UiServices.h"

namespace qm::store {

namespace {

// Run-time error number for failures that carry none of their own.
constexpr int InternalError = 51;

void showFailure(qm::ui::UiServices& ui, int number, const std::string& description, const char* title)
{
    ui.msgBox("Error: " + std::to_string(number) + ". " + description, qm::ui::mb::OKOnly, title);
}

} // namespace

std::string ReadIni(qm::ui::UiServices& ui, const std::string& section, const std::string& key,
                    const std::string& file, const std::string& defaultValue)
{
    const char* title = "INIGetSettingString";
    try {
        return qm::profile::getString(qm::fs::toNative(file), section, key, defaultValue);
    } catch (const qm::RtError& e) {
        showFailure(ui, e.number, e.description, title);
    } catch (const std::exception& e) {
        showFailure(ui, InternalError, e.what(), title);
    }
    return {};
}

qm::profile::IniDocument ReadIniFile(qm::ui::UiServices& ui, const std::string& file)
{
    const char* title = "INIGetSettingString";
    try {
        const std::filesystem::path native = qm::fs::toNative(file);
        try {
            return qm::profile::loadDocument(native);
        } catch (const qm::RtError&) {
            return {}; // like the profile reader: a file it cannot read has no keys
        }
    } catch (const qm::RtError& e) {
        showFailure(ui, e.number, e.description, title);
    } catch (const std::exception& e) {
        showFailure(ui, InternalError, e.what(), title);
    }
    return {};
}

bool WriteIni(qm::ui::UiServices& ui, const std::string& section, const std::string& key,
              const std::string& value, const std::string& file)
{
    return WriteIniValues(ui, file, {{section, key, value}});
}

bool WriteIniValues(qm::ui::UiServices& ui, const std::string& file,
                    std::initializer_list<qm::profile::KeyValue> values)
{
    const char* title = "INIWriteSetting";
    try {
        detail::withFile(file, qm::fs::toNative(file), [&](const std::filesystem::path& native) {
            qm::profile::writeStrings(native, values);
        });
        return true;
    } catch (const qm::RtError& e) {
        showFailure(ui, e.number, e.description, title);
    } catch (const std::exception& e) {
        showFailure(ui, InternalError, e.what(), title);
    }
    return false;
}

} // namespace qm::store
