#include "frame/plugin_registry.h"

#include <cinttypes>
#include <cstdio>

#include "frame/guid.h"
#include "frame/library.h"
#include "frame/log.h"
#include "frame/message_hook.h"
#include "frame/text.h"

#define GST_CAT_DEFAULT nerla_frame_debug

namespace nerla {
namespace {

std::mutex gRegistryLock;
std::shared_ptr<PluginRegistry> gRegistry;

// More classes than this in one table is not a table.
constexpr uint32_t kMaxClassEntries = 4096;
constexpr size_t kMaxNameUnits = 4096;

std::optional<std::u16string> copyName(const char16_t* name) {
    if (!name) {
        return std::nullopt;
    }
    std::u16string copy;
    for (size_t i = 0; name[i] && i < kMaxNameUnits; ++i) {
        copy.push_back(name[i]);
    }
    return copy;
}

const char* errorText(int32_t code) {
    switch (static_cast<uint32_t>(code)) {
        case 0x80040154:
            return "Class not registered";
        case 0x80004002:
            return "No such interface supported";
        case 0x8007000E:
            return "Not enough memory resources are available to complete this operation.";
        case 0x8000FFFF:
            return "Catastrophic failure";
        default:
            return "Unspecified error";
    }
}

std::string utf8Name(const std::optional<std::u16string>& name) {
    if (!name) {
        return {};
    }
    return readText(name->c_str(), TextEncoding::Utf16).value_or(std::string());
}

}  // namespace

std::shared_ptr<PluginRegistry> PluginRegistry::current() {
    std::lock_guard<std::mutex> lock(gRegistryLock);
    return gRegistry;
}

std::shared_ptr<PluginRegistry> PluginRegistry::acquire() {
    std::lock_guard<std::mutex> lock(gRegistryLock);
    if (!gRegistry) {
        gRegistry = std::make_shared<PluginRegistry>();
    }
    return gRegistry;
}

void PluginRegistry::destroy() {
    std::shared_ptr<PluginRegistry> ending;
    {
        std::lock_guard<std::mutex> lock(gRegistryLock);
        ending.swap(gRegistry);
    }
}

PluginRegistry::~PluginRegistry() {
    {
        std::lock_guard<std::mutex> lock(classLock_);
        classes_.clear();
    }
    {
        std::lock_guard<std::mutex> lock(engineLock_);
        engines_.clear();
    }
    std::lock_guard<std::mutex> lock(splitterLock_);
    splitters_.clear();
}

uint32_t PluginRegistry::loadPlugin(const std::string& path) {
    std::shared_ptr<SharedLibrary> library = SharedLibrary::open(path);
    if (!library) {
        return 0;
    }
    auto proc = reinterpret_cast<NerlaPluginProc>(library->symbol(NERLA_PLUGIN_EXPORT));
    if (!proc) {
        GST_INFO("%s has no " NERLA_PLUGIN_EXPORT, path.c_str());
        return 0;
    }
    uint32_t id = 0;
    if (tryEnginePlugin(library, proc, id) || trySplitterPlugin(library, proc, id) ||
        tryContainer(library, proc, id)) {
        return id;
    }
    GST_INFO("%s answers as no kind of plug-in", path.c_str());
    return 0;
}

bool PluginRegistry::tryEnginePlugin(const std::shared_ptr<SharedLibrary>& library,
                                     NerlaPluginProc proc, uint32_t& id) {
    const auto* header = reinterpret_cast<const NerlaPluginHeader*>(proc(0));
    if (!header || header->kind == 0) {
        return false;
    }
    const uintptr_t value3 = proc(3);
    const uintptr_t value1 = proc(1);
    if (!value3 || !value1) {
        return false;
    }
    std::lock_guard<std::mutex> lock(engineLock_);
    id = ++engineIds_;
    engines_.push_front({id, library, proc, value1, value3});
    GST_INFO("engine plug-in %u from %s", id, library->path().c_str());
    return true;
}

bool PluginRegistry::trySplitterPlugin(const std::shared_ptr<SharedLibrary>& library,
                                       NerlaPluginProc proc, uint32_t& id) {
    const auto* header = reinterpret_cast<const NerlaPluginHeader*>(proc(0));
    if (!header || header->kind != 0) {
        return false;
    }
    auto build = reinterpret_cast<NerlaSplitterBuildProc>(proc(2));
    auto accept = reinterpret_cast<NerlaSplitterAcceptProc>(proc(3));
    if (!build || !accept) {
        return false;
    }
    std::lock_guard<std::mutex> lock(splitterLock_);
    id = ++splitterIds_;
    splitters_.push_front({id, build, accept, library, proc});
    GST_INFO("splitter plug-in %u from %s", id, library->path().c_str());
    return true;
}

// An empty table, or one without entries, registers nothing and is refused.
bool PluginRegistry::tryContainer(const std::shared_ptr<SharedLibrary>& library,
                                  NerlaPluginProc proc, uint32_t& id) {
    const auto* table = reinterpret_cast<const NerlaClassTable*>(proc(4));
    if (!table || !table->classObject || !table->entries || table->count == 0 ||
        table->count > kMaxClassEntries) {
        return false;
    }
    std::lock_guard<std::mutex> lock(classLock_);
    for (uint32_t i = 0; i < table->count; ++i) {
        const NerlaClassEntry& entry = table->entries[i];
        id = ++classIds_;
        classes_.push_front(std::make_unique<ContainerClass>(id, entry.clsid, copyName(entry.name),
                                                             library, table->classObject));
    }
    GST_INFO("%u filter classes from %s, the last %u", table->count, library->path().c_str(), id);
    return true;
}

uint32_t PluginRegistry::loadGstPlugin(const std::string& path, const NerlaGUID& clsid,
                                       std::optional<std::u16string> name) {
    GError* raw = nullptr;
    GstPtr<GstPlugin> plugin(gst_plugin_load_file(path.c_str(), &raw));
    ErrorPtr error(raw);
    if (!plugin) {
        GST_INFO("%s is not a GStreamer plugin: %s", path.c_str(), error ? error->message : "");
        return 0;
    }
    GList* features = gst_registry_get_feature_list_by_plugin(gst_registry_get(),
                                                              gst_plugin_get_name(plugin.get()));
    std::string factoryName;
    for (GList* f = features; f; f = f->next) {
        auto* feature = GST_PLUGIN_FEATURE(f->data);
        if (GST_IS_ELEMENT_FACTORY(feature) &&
            factoryGuid(gst_plugin_feature_get_name(feature)) == clsid) {
            factoryName = gst_plugin_feature_get_name(feature);
            break;
        }
    }
    gst_plugin_feature_list_free(features);
    if (factoryName.empty()) {
        GST_INFO("%s has no element factory %s", path.c_str(), formatGuid(clsid).c_str());
        return 0;
    }
    std::lock_guard<std::mutex> lock(classLock_);
    const uint32_t id = ++classIds_;
    classes_.push_front(std::make_unique<GstFactoryClass>(id, clsid, std::move(name), factoryName));
    GST_INFO("filter class %u: %s from %s", id, factoryName.c_str(), path.c_str());
    return id;
}

// A failed lookup reports a bad handle only when neither list knows the id.
const void* PluginRegistry::info(uint32_t id) {
    NerlaPluginProc proc = nullptr;
    {
        std::lock_guard<std::mutex> lock(engineLock_);
        for (const EnginePlugin& p : engines_) {
            if (p.id == id) {
                proc = p.proc;
            }
        }
    }
    if (!proc) {
        std::lock_guard<std::mutex> lock(splitterLock_);
        for (const SplitterPlugin& p : splitters_) {
            if (p.id == id) {
                proc = p.proc;
            }
        }
    }
    if (!proc) {
        setError(NERLA_ERROR_HANDLE);
        return nullptr;
    }
    return reinterpret_cast<const void*>(proc(0));
}

bool PluginRegistry::remove(uint32_t id) {
    std::shared_ptr<SharedLibrary> unload;
    {
        std::lock_guard<std::mutex> lock(engineLock_);
        for (auto before = engines_.before_begin(), it = engines_.begin(); it != engines_.end();
             before = it++) {
            if (it->id == id) {
                unload = std::move(it->library);
                engines_.erase_after(before);
                return true;
            }
        }
    }
    bool known = false;
    {
        std::lock_guard<std::mutex> lock(splitterLock_);
        for (const SplitterPlugin& p : splitters_) {
            known = known || p.id == id;
        }
    }
    {
        std::lock_guard<std::mutex> lock(classLock_);
        for (const auto& c : classes_) {
            known = known || c->id() == id;
        }
    }
    if (!known) {
        setError(NERLA_ERROR_HANDLE);
    }
    return false;
}

int32_t PluginRegistry::askSplitters(const std::u16string& path) {
    std::lock_guard<std::mutex> lock(splitterLock_);
    for (const SplitterPlugin& p : splitters_) {
        if (const int32_t answer = p.accept(path.c_str())) {
            return answer;
        }
    }
    return 0;
}

int32_t PluginRegistry::buildWithSplitters(const std::u16string& path, GstPipeline* pipeline,
                                           GstElement* source) {
    std::lock_guard<std::mutex> lock(splitterLock_);
    for (const SplitterPlugin& p : splitters_) {
        if (p.accept(path.c_str())) {
            if (const int32_t built = p.build(path.c_str(), pipeline, source)) {
                GST_INFO("splitter %u built the graph", p.id);
                return built;
            }
        }
    }
    return 0;
}

std::vector<PluginRegistry::Filter> PluginRegistry::createFilters() {
    std::vector<Filter> filters;
    std::lock_guard<std::mutex> lock(classLock_);
    for (const auto& c : classes_) {
        int32_t error = 0;
        GstPtr<GstElementFactory> factory = c->factory(error);
        GstElement* element =
            factory ? gst_element_factory_create(factory.get(), nullptr) : nullptr;
        if (!element) {
            if (factory) {
                error = static_cast<int32_t>(0x80004002);
            }
            char text[256];
            std::snprintf(
                text, sizeof text, "The plug-in filter class %s gave no filter: 0x%08" PRIX32 " %s",
                formatGuid(c->clsid()).c_str(), static_cast<uint32_t>(error), errorText(error));
            showMessage("Error!", text);
            continue;
        }
        filters.push_back(
            {GstPtr<GstElement>(GST_ELEMENT(gst_object_ref_sink(element))), utf8Name(c->name())});
    }
    return filters;
}

}  // namespace nerla
