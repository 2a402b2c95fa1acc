#pragma once
// Full path of the file this plug-in module was loaded from (not the host's
// executable); empty when the system cannot tell.
#include <string>

std::string modulePath();
