#pragma once
// The registry: hives kept as INI-format files in the platform folder
// (platformDir()/registry/HKEY_CURRENT_USER.ini, ...). One section per key,
// named by its path below the hive root; one line per value, its name (the
// unnamed default value is "@") and its type and data:
//     [SOFTWARE\e-merge\WinAce]
//     Path=sz:C:\Program Files\WinAce\winace.exe
//     Version=dword:211
//     Home=expand_sz:%HOME%\ace
//     Blob=hex:01,02,ff
//     Odd=hex(1):61,00,62,00
// "sz:" and "expand_sz:" hold text (stored with its terminating NUL);
// "dword:" a 32-bit number in decimal (or 0x hex); "hex:" binary bytes and
// "hex(N):" the bytes of a value of type N (N in hex: "hex(b)" is type 11),
// for data no other form can hold (embedded NULs, trailing blanks, line
// breaks). A line without a known prefix is text. Key paths and value names
// compare without regard to case. A key exists when its section, or the
// section of any key below it, exists. Every change rewrites its hive
// atomically, under a lock shared by all programs.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::registry {

// Predefined root keys, with their classic handle values.
namespace hkey {
inline constexpr std::uint32_t ClassesRoot = 0x80000000u;
inline constexpr std::uint32_t CurrentUser = 0x80000001u;
inline constexpr std::uint32_t LocalMachine = 0x80000002u;
inline constexpr std::uint32_t Users = 0x80000003u;
inline constexpr std::uint32_t CurrentConfig = 0x80000005u;
} // namespace hkey

// Value types, with their classic numbers.
namespace regtype {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t Sz = 1;
inline constexpr std::uint32_t ExpandSz = 2;
inline constexpr std::uint32_t Binary = 3;
inline constexpr std::uint32_t Dword = 4;
inline constexpr std::uint32_t MultiSz = 7;
inline constexpr std::uint32_t Qword = 11;
} // namespace regtype

// A value as the registry keeps it: its type and its raw data bytes (text
// with its terminating NUL, a DWORD as four bytes, low byte first).
struct Value {
    std::uint32_t type = regtype::None;
    std::string data;
    bool operator==(const Value&) const = default;
};

Value textValue(std::string_view text, std::uint32_t type = regtype::Sz);
Value dwordValue(std::uint32_t number);

// The stored form of a value ("sz:...", "dword:211", "hex(1):..."), and back.
std::string encodeValue(const Value& value);
Value decodeValue(std::string_view stored);

// The hive file of a root key; empty for a root that is no predefined key.
std::filesystem::path hiveFile(std::uint32_t root);

// Reads never fail: an unknown root, a missing or unreadable hive, key or
// value simply is not there.
bool keyExists(std::uint32_t root, std::string_view keyPath);
std::optional<Value> queryValue(std::uint32_t root, std::string_view keyPath, std::string_view name);

// Writes create the hive, the key and the folder as needed. They throw
// qm::RtError when the hive cannot be written (the old file then stays as
// it was), and 5 for an unknown root, an empty key path, or a value name
// that cannot stand on an INI line ("=" inside, "[" or ";" first).
void createKey(std::uint32_t root, std::string_view keyPath);
void setValue(std::uint32_t root, std::string_view keyPath, std::string_view name, const Value& value);
// Both give false when there was nothing to delete. deleteKey removes the key
// with every key below it.
bool deleteValue(std::uint32_t root, std::string_view keyPath, std::string_view name);
bool deleteKey(std::uint32_t root, std::string_view keyPath);

// Several changes to one hive that belong together (a registration): apply()
// makes them, in the order they were added, in one atomic rewrite of the
// hive, so either every change reaches the file or none does. Each step
// follows the rules of the single write of its name above.
class Batch {
public:
    Batch& createKey(std::string_view keyPath);
    Batch& setValue(std::string_view keyPath, std::string_view name, const Value& value);
    Batch& deleteValue(std::string_view keyPath, std::string_view name);
    Batch& deleteKey(std::string_view keyPath);
    bool empty() const { return steps_.empty(); }

    enum class Kind { CreateKey, SetValue, DeleteValue, DeleteKey };
    struct Step {
        Kind kind;
        std::string key;
        std::string name;
        Value value;
    };
    const std::vector<Step>& steps() const { return steps_; }

private:
    std::vector<Step> steps_;
};

// True when the hive changed (a batch that only deletes what is not there
// leaves the file alone). Throws qm::RtError as the single writes do; the
// hive then stays as it was.
bool apply(std::uint32_t root, const Batch& batch);

} // namespace qm::registry
