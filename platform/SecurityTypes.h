#pragma once
// Types of the platform's security functions: security identifiers (SIDs)
// and account lookups.

#include "Win32Types.h"

struct SID_IDENTIFIER_AUTHORITY {
    BYTE Value[6];
};

enum SID_NAME_USE : int {
    SidTypeUser = 1,
    SidTypeGroup,
    SidTypeDomain,
    SidTypeAlias,
    SidTypeWellKnownGroup,
    SidTypeDeletedAccount,
    SidTypeInvalid,
    SidTypeUnknown,
    SidTypeComputer,
};

inline constexpr BYTE SID_REVISION = 1;
inline constexpr BYTE SID_MAX_SUB_AUTHORITIES = 15;
// 8 bytes of header and 15 sub-authorities of 4 bytes.
inline constexpr DWORD SECURITY_MAX_SID_SIZE = 68;
