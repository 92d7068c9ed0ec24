// Keeping the plug-in module loaded while a thread of ours runs: a host that unloads it without
// shutting it down first must not unmap code that thread is running, nor make an unload wait
// for it.
#ifndef DIALFORGE_PLATFORM_MODULEPIN_H
#define DIALFORGE_PLATFORM_MODULEPIN_H

namespace dialforge_platform {

// Pins the module (or program) that holds this code for the rest of the process: later unloads
// leave it mapped, and its static destructors run only at exit. Called before each thread of
// ours starts; after the first success it does nothing. False when the system refused.
bool PinThisModule();

}  // namespace dialforge_platform

#endif
