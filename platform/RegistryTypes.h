#pragma once
// Types and constants of the platform's registry functions.

#include "Win32Types.h"

#include <cstdint>

using PHKEY = HKEY*;
using LPBYTE = BYTE*;

inline HKEY PredefinedKey(std::uint32_t value)
{
    return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(value));
}

#define HKEY_CLASSES_ROOT PredefinedKey(0x80000000u)
#define HKEY_CURRENT_USER PredefinedKey(0x80000001u)
#define HKEY_LOCAL_MACHINE PredefinedKey(0x80000002u)
#define HKEY_USERS PredefinedKey(0x80000003u)

inline constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
inline constexpr REGSAM KEY_SET_VALUE = 0x0002;
inline constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
inline constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
inline constexpr REGSAM KEY_NOTIFY = 0x0010;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

inline constexpr DWORD REG_NONE = 0;
inline constexpr DWORD REG_SZ = 1;
inline constexpr DWORD REG_EXPAND_SZ = 2;
inline constexpr DWORD REG_BINARY = 3;
inline constexpr DWORD REG_DWORD = 4;
inline constexpr DWORD REG_MULTI_SZ = 7;

inline constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
inline constexpr DWORD REG_CREATED_NEW_KEY = 1;
inline constexpr DWORD REG_OPENED_EXISTING_KEY = 2;
