target_sources(nerla_objects PRIVATE
  audio/audio_processor.cpp
  audio/audio_devices.cpp
  audio/audio_processor_state.cpp
  audio/audio_renderer_factory.cpp
  audio/desktop_audio_renderer.cpp
  audio/effect_chain.cpp
  audio/effect_factory.cpp
  audio/exports_audio_devices.cpp
  audio/exports_dsp.cpp
  audio/history_ring.cpp
  audio/null_audio_renderer.cpp
  audio/output_level.cpp
)
