target_sources(nerla_objects PRIVATE
  frame/channel_list.cpp
  frame/exports_library.cpp
  frame/exports_utility.cpp
  frame/geoclue_location.cpp
  frame/library.cpp
  frame/sample_convert.cpp
  frame/text.cpp
  frame/x11_display.cpp
)
