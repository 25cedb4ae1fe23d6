// Marks the few functions a plug-in library exports; everything else is hidden.
#pragma once

#define NERLA_PLUGIN_API extern "C" __attribute__((visibility("default")))
