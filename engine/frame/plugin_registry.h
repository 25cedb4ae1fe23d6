// Plug-in libraries loaded at run time: engine plug-ins, splitters that may
// build a channel's graph, and filter classes put into every new channel.
#pragma once

#include <gst/gst.h>

#include <forward_list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "frame/filter_class.h"
#include "frame/gst_ptr.h"
#include "frame/shared_library.h"
#include "nerla_plugin.h"

namespace nerla {

class PluginRegistry {
  public:
    // The registry, or null before the first load and after Nerla_Free.
    static std::shared_ptr<PluginRegistry> current();
    // The registry, created when there is none.
    static std::shared_ptr<PluginRegistry> acquire();
    // Ends the registry; libraries unload once nothing uses them.
    static void destroy();

    PluginRegistry() = default;
    ~PluginRegistry();

    // The registration id, or 0.
    uint32_t loadPlugin(const std::string& path);
    uint32_t loadGstPlugin(const std::string& path, const NerlaGUID& clsid,
                           std::optional<std::u16string> name);

    // The description record of an engine or splitter plug-in, or null.
    const void* info(uint32_t id);
    // Only engine plug-ins can be removed.
    bool remove(uint32_t id);

    // Newest first: the first non-zero accept answer, or 0.
    int32_t askSplitters(const std::u16string& path);
    // Newest first: build with each splitter that accepts; the first
    // non-zero answer, or 0.
    int32_t buildWithSplitters(const std::u16string& path, GstPipeline* pipeline,
                               GstElement* source);

    // One new element of every filter class, newest first, with the name
    // each should carry; a class without a factory is reported and skipped.
    struct Filter {
        GstPtr<GstElement> element;
        std::string name;
    };
    std::vector<Filter> createFilters();

  private:
    struct EnginePlugin {
        uint32_t id;
        std::shared_ptr<SharedLibrary> library;
        NerlaPluginProc proc;
        uintptr_t value1;
        uintptr_t value3;
    };
    struct SplitterPlugin {
        uint32_t id;
        NerlaSplitterBuildProc build;
        NerlaSplitterAcceptProc accept;
        std::shared_ptr<SharedLibrary> library;
        NerlaPluginProc proc;
    };

    bool tryEnginePlugin(const std::shared_ptr<SharedLibrary>& library, NerlaPluginProc proc,
                         uint32_t& id);
    bool trySplitterPlugin(const std::shared_ptr<SharedLibrary>& library, NerlaPluginProc proc,
                           uint32_t& id);
    bool tryContainer(const std::shared_ptr<SharedLibrary>& library, NerlaPluginProc proc,
                      uint32_t& id);

    std::mutex engineLock_;
    std::forward_list<EnginePlugin> engines_;
    uint32_t engineIds_ = 122009;

    std::mutex splitterLock_;
    std::forward_list<SplitterPlugin> splitters_;
    uint32_t splitterIds_ = 1321;

    std::mutex classLock_;
    std::forward_list<std::unique_ptr<FilterClass>> classes_;
    uint32_t classIds_ = 88832;
};

}  // namespace nerla
