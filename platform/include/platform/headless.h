// Test controls of the headless platform: scripted answers for message boxes and a record
// of what was shown. Only the Linux build has them.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform::headless {

struct ShownMessage {
  std::string text;
  std::string caption;
  MessageButtons buttons;
};

// Answers given to the next message boxes, in order; Ok once the script runs out.
void scriptMessageAnswers(std::vector<MessageAnswer> answers);
// Every message box shown since the last clear.
std::vector<ShownMessage> shownMessages();
void clearShownMessages();

// Beeps requested since the last clear.
int beepCount();
void clearBeeps();

// A failing disk: after `renames` more renames succeed, every rename fails (so every
// replaceFile fails and keeps the old file) until the failures are lifted with -1.
void failRenamesAfter(int renames);

// Adds a resource that findResource finds (before the linked-in ones), so tests can give
// the toolkit images of their own. Its bytes stay valid until the process ends.
void addResource(const std::string& name, const std::string& type, std::vector<unsigned char> bytes);

}  // namespace platform::headless
