target_sources(nerla_objects PRIVATE
  frame/channel_list.cpp
  frame/exports_library.cpp
  frame/exports_plugin.cpp
  frame/filter_class.cpp
  frame/guid.cpp
  frame/exports_utility.cpp
  frame/geoclue_location.cpp
  frame/library.cpp
  frame/plugin_registry.cpp
  frame/sample_convert.cpp
  frame/shared_library.cpp
  frame/text.cpp
  frame/x11_display.cpp
)
