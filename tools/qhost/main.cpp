// qhost: a command-line VST 2.4 host that loads a plug-in library, reports what it
// declares, renders audio through it, and checks how it behaves in a host.
#include <cstdio>
#include <string>

#include "commands.h"
#include "options.h"

int main(int argc, char** argv) {
  qhost::Options options;
  std::string error;
  if (!qhost::parseOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "error: %s\n%s", error.c_str(), qhost::usageText());
    return 2;
  }
  switch (options.command) {
    case qhost::Command::Info:
      return qhost::runInfo(options.info);
    case qhost::Command::Render:
      return qhost::runRender(options.render);
    case qhost::Command::Edit:
      return qhost::runEdit(options.edit);
    case qhost::Command::Validate:
      return qhost::runValidate(options.validate);
    case qhost::Command::Help:
      break;
  }
  std::fputs(qhost::usageText(), stdout);
  return argc < 2 ? 2 : 0;
}
