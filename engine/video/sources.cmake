target_sources(nerla_video PRIVATE
  video/gl/egl_display.cpp
  video/gl/egl_context.cpp
  video/gl/current_context.cpp
  video/gl/offscreen_target.cpp
  video/gl/gl_device.cpp
  video/frame_planes.cpp
  video/frame_sampling.cpp
  video/view_programs.cpp
  video/program_builder.cpp
  video/plane_scene.cpp)
