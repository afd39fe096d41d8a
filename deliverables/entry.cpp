// The plug-in library's exported entry point, VSTPluginMain, also exported as `main`.
// QV_EFFECT_BUILD selects the identity this library presents.
#include "editor/quorvane_window.h"
#include "plugin/entry_point.h"

#ifndef QV_EFFECT_BUILD
#error "QV_EFFECT_BUILD must be 0 (instrument) or 1 (effect)"
#endif

namespace {

const BuildIdentity& thisBuild() { return QV_EFFECT_BUILD ? kEffectIdentity : kInstrumentIdentity; }

// The editor of this build, with its own window class.
ParameterEditor* makeEditor(Quorvane_VSTEdit& plugin) {
  return new Quorvane_Window(plugin, QV_EFFECT_BUILD ? Quorvane_Window::kEffectClass : Quorvane_Window::kInstrumentClass);
}

}  // namespace

#if defined(_WIN32)
#define QV_EXPORT __declspec(dllexport)
#else
#define QV_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

QV_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback audioMaster) {
  return createQuorvaneEffect(audioMaster, thisBuild(), makeEditor);
}

#if !defined(_WIN32)
// Older hosts look for `main`; on Windows the module definition file exports the alias.
QV_EXPORT AEffect* VSTCALLBACK qvMainEntry(audioMasterCallback audioMaster) __asm__("main");
AEffect* VSTCALLBACK qvMainEntry(audioMasterCallback audioMaster) { return VSTPluginMain(audioMaster); }
#endif

}  // extern "C"
