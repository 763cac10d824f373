#pragma once
// The user's list of computers, kept in the current user's registry as the
// string values "Comp0", "Comp1", ... in the order of the computers tree.

#include <string>
#include <vector>

inline constexpr char kComputersTreeKey[] = "Software\\Ostrivel\\Quellvane\\ComputersTree";

// The non-empty texts of the values whose names begin with "Comp" (exactly
// so), in the registry's order.  Values that are not text are passed over;
// a key that cannot be opened or created gives an empty list.
std::vector<std::string> ReadComputerList();

// Deletes every value under the key, whatever its name, then writes the
// names as "Comp0", "Comp1", ...  Registry failures raise ENTException.
void WriteComputerList(const std::vector<std::string>& names);
