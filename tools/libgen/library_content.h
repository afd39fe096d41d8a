// The library content shipped inside the plug-in: the reset patch (every stored parameter
// at its default) and the "defaultLibrary" archive the library is made from on first start.
// Built with the library's own patch and archive writers.
#pragma once

#include <string>

#include "library/patch.h"

namespace libgen {

// A patch holding every stored parameter at the parameter table's default, in table order:
// integers and reals by their store kind, every input jack unplugged.
Patch defaultsPatch(const std::string& name);

// The text of "kreset.kvx".
std::string resetPatchText();

// The text of "defaultLibrary": one group with one category of distinct sounds, each with
// its own program number.
std::string defaultLibraryText();

}  // namespace libgen
