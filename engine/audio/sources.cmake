target_sources(nerla_objects PRIVATE
  audio/audio_processor.cpp
  audio/desktop_audio_renderer.cpp
)
