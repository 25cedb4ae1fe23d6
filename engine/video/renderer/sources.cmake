target_sources(nerla_video PRIVATE
  video/renderer/basic_video_renderer.cpp
)
target_sources(nerla_video PRIVATE
  video/renderer/vmr9_renderer_3d.cpp
)
