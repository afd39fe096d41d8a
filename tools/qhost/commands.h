// The qhost commands. Each prints `key: value` lines on stdout, errors on stderr, and
// returns the process exit status.
#pragma once

#include <string>

#include "options.h"
#include "plugin.h"

namespace qhost {

int runInfo(const InfoOptions& options);
int runRender(const RenderOptions& options);
// Loads and checks the plug-in and starts it as render does: rate, block size, chunk,
// resume, start of processing, then the --param values. False with a message in `error`.
bool startPlugin(Plugin& plugin, const RenderOptions& options, double rate, std::string& error);
int runEdit(const EditOptions& options);
int runValidate(const ValidateOptions& options);

}  // namespace qhost
