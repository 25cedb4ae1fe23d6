target_sources(nerla_objects PRIVATE
  audio/audio_processor.cpp
  audio/audio_processor_state.cpp
  audio/desktop_audio_renderer.cpp
  audio/effect_chain.cpp
  audio/effect_factory.cpp
  audio/exports_dsp.cpp
  audio/history_ring.cpp
)
