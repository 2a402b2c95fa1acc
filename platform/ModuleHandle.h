#pragma once
// The operating system's handle of this plug-in module, kept by the module's
// load-time entry function (Windows). Null where the platform has no such handle.
void* quorlModuleHandle();
