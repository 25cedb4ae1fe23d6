target_sources(nerla_video PRIVATE
  video/renderer/basic_video_renderer.cpp
  video/renderer/color_balance_controls.cpp
  video/renderer/evr_renderer.cpp
  video/renderer/exports_video.cpp
  video/renderer/extra_window_list.cpp
  video/renderer/frame_grab.cpp
  video/renderer/infinite_tee.cpp
  video/renderer/null_video_renderer.cpp
  video/renderer/null_video_sink.cpp
  video/renderer/overlay_picture.cpp
  video/renderer/pad_video_info.cpp
  video/renderer/renderer_branch.cpp
  video/renderer/renderer_factory.cpp
  video/renderer/renderer_selection.cpp
  video/renderer/video_mixer.cpp
  video/renderer/vmr_renderer.cpp
  video/renderer/vmr9_renderer.cpp
  video/renderer/vmr9_renderer_3d.cpp
  video/renderer/window_sinks.cpp
  video/renderer/window_video_chain.cpp
  video/renderer/x11_window.cpp
)
target_sources(nerla_video PRIVATE
  video/renderer/vmr9_renderer_3d.cpp
)
