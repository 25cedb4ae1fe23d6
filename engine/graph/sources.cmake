target_sources(nerla_objects PRIVATE
  graph/direct_show.cpp
  graph/exports_stream.cpp
  graph/exports_transport.cpp
  graph/graph_builder.cpp
  graph/graph_control.cpp
  graph/graph_events.cpp
  graph/graph_waiter.cpp
  graph/media_timer.cpp
  graph/media_units.cpp
  graph/pipeline_branch.cpp
  graph/plugin_filter_queue.cpp
  graph/render_result.cpp
  graph/splitter_attempt.cpp
  graph/video_size_watch.cpp
)
