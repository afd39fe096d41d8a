// The library content shipped inside the plug-in: the reset patch (every stored parameter
// at its default) and the "defaultLibrary" archive the library is made from on first start.
// The sounds are patch text files in resources/sounds/, one folder per group holding one
// folder per category ("<n> <name>", in the order of n); each file lists only what differs
// from the defaults, and the sound's program number (record 15) orders it in its category.
// Built with the library's own patch and archive writers.
#pragma once

#include <string>

#include "library/patch.h"

namespace libgen {

// A patch holding every stored parameter at the parameter table's default, in table order:
// integers and reals by their store kind, every input jack unplugged.
Patch defaultsPatch(const std::string& name);

// The defaults with a sound file's text laid over them: its parameters and cords replace
// the defaults' entries of the same keys in place; its MIDI-map entries, beat settings,
// program number, show-notes flag and texts are taken as they stand.
Patch soundPatch(const std::string& soundText);

// The text of "kreset.kvx".
std::string resetPatchText();

// The text of "defaultLibrary", made from the sounds folder. False, with a reason, when a
// folder or file cannot be read or a sound file names a key the parameter table lacks.
bool defaultLibraryText(const std::string& soundsFolder, std::string& text, std::string& error);

}  // namespace libgen
