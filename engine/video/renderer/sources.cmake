target_sources(nerla_video PRIVATE
  video/renderer/basic_video_renderer.cpp
)
