target_sources(nerla_video PRIVATE
  video/presenter/x11_connection.cpp
  video/presenter/device_window.cpp
  video/presenter/egl_window_surface.cpp
  video/presenter/overlay_layer.cpp
  video/presenter/allocator.cpp
  video/presenter/video_sink.cpp
)
