target_sources(nerla_objects PRIVATE
  audio/audio_processor.cpp
  audio/audio_processor_state.cpp
  audio/desktop_audio_renderer.cpp
  audio/effect_chain.cpp
  audio/effect_factory.cpp
  audio/exports_dsp.cpp
  audio/exports_levels.cpp
  audio/history_ring.cpp
  audio/levels.cpp
  audio/spectrum_analyser.cpp
  audio/stream_time.cpp
  audio/fx/channel_mix.cpp
  audio/fx/chorus_fx.cpp
  audio/fx/compressor.cpp
  audio/fx/echo_fx.cpp
  audio/fx/equalizer.cpp
  audio/fx/flanger_fx.cpp
  audio/fx/float_fx.cpp
  audio/fx/modulated_delay.cpp
  audio/fx/sample_block.cpp
  audio/fx/tempo.cpp
  audio/fx/waves_reverb_fx.cpp
)
target_link_libraries(nerla_objects PUBLIC PkgConfig::SOUNDTOUCH PkgConfig::KISSFFT)
