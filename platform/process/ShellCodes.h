#pragma once
// Result codes of a shell launch, with their Windows values: a code above 32
// means success, 32 and below name the reason for a refusal.
namespace qm::process::shellcode {

inline constexpr int OutOfResources = 0;
inline constexpr int FileNotFound = 2;
inline constexpr int PathNotFound = 3;
inline constexpr int AccessDenied = 5;
inline constexpr int OutOfMemory = 8;
inline constexpr int BadFormat = 11;
inline constexpr int NoAssociation = 31;
inline constexpr int Success = 42;

inline constexpr bool succeeded(int code) { return code > 32; }

} // namespace qm::process::shellcode
