// Plug-in libraries: the three kinds, their ids, nonsense answers, removal,
// the end of the registry, and GStreamer plugin files by factory GUID.
#include <dlfcn.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frame/guid.h"
#include "frame/plugin_registry.h"
#include "nerla.h"
#include "nerla_plugin.h"

namespace {

using nerla::PluginRegistry;
using nerla::operator==;

std::string plugin(const char* name) {
    return std::string(TEST_PLUGINS "/") + name + ".so";
}

bool loaded(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) {
        dlclose(handle);
    }
    return handle != nullptr;
}

uint32_t load(const char* name) {
    return Nerla_LoadPlugin(plugin(name).c_str(), 0);
}

std::u16string utf16(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

class Loader : public ::testing::Test {
  protected:
    void SetUp() override { Nerla_Free(); }
    void TearDown() override { Nerla_Free(); }
};

TEST_F(Loader, EachKindCountsItsOwnIds) {
    EXPECT_EQ(load("engine_plugin"), 122010u);
    EXPECT_EQ(load("splitter_a"), 1322u);
    EXPECT_EQ(load("splitter_a"), 1323u);         // the same file twice: two registrations
    EXPECT_EQ(load("container_plugin"), 88835u);  // three classes, the id of the last
    EXPECT_EQ(load("engine_plugin"), 122011u);

    const auto* record = static_cast<const NerlaPluginHeader*>(Nerla_PluginGetInfo(122010));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->kind, 1u);
    const auto* splitter = static_cast<const NerlaPluginHeader*>(Nerla_PluginGetInfo(1323));
    ASSERT_NE(splitter, nullptr);
    EXPECT_EQ(splitter->kind, 0u);
    for (uint32_t id : {88833u, 88835u, 5u}) {
        EXPECT_EQ(Nerla_PluginGetInfo(id), nullptr) << id;
        EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
    }
}

TEST_F(Loader, PathsInBothEncodings) {
    const std::u16string wide = utf16(plugin("engine_plugin"));
    EXPECT_EQ(Nerla_LoadPlugin(wide.c_str(), 0x80000000u), 122010u);
    EXPECT_EQ(Nerla_LoadPlugin(plugin("engine_plugin").c_str(), 0x7FFFFFFFu), 122011u);
    EXPECT_EQ(Nerla_LoadPlugin("/nonexistent/plugin.so", 0), 0u);
    EXPECT_EQ(Nerla_LoadPlugin(nullptr, 0), 0u);
    EXPECT_EQ(Nerla_LoadPlugin("", 0), 0u);
}

TEST_F(Loader, LibrariesThatAreNoPluginAreRefusedAndUnloaded) {
    for (const char* name :
         {"no_export", "nonsense_1", "nonsense_2", "nonsense_3", "nonsense_4", "nonsense_5"}) {
        EXPECT_EQ(load(name), 0u) << name;
        EXPECT_FALSE(loaded(plugin(name))) << name << " stayed loaded";
    }
    // Nothing was registered: the counters have not moved.
    EXPECT_EQ(load("engine_plugin"), 122010u);
    EXPECT_EQ(load("splitter_a"), 1322u);
    EXPECT_EQ(load("container_plugin"), 88835u);
}

TEST_F(Loader, SplittersAreAskedNewestFirstAndCannotBeRemoved) {
    const uint32_t a = load("splitter_a");
    const uint32_t b = load("splitter_b");
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    auto registry = PluginRegistry::current();
    ASSERT_TRUE(registry);
    EXPECT_EQ(registry->askSplitters(u"/media/film.nsplit"), 2);
    EXPECT_EQ(registry->askSplitters(u"/media/film.mp4"), 0);
    EXPECT_EQ(Nerla_RemovePlugin(b), 0);
    EXPECT_EQ(registry->askSplitters(u"/media/film.nsplit"), 2);
    EXPECT_EQ(Nerla_RemovePlugin(88833), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
}

TEST_F(Loader, EnginePluginsAreRemovedOnce) {
    const uint32_t id = load("engine_plugin");
    ASSERT_TRUE(loaded(plugin("engine_plugin")));
    EXPECT_EQ(Nerla_RemovePlugin(id), 1);
    EXPECT_FALSE(loaded(plugin("engine_plugin")));
    EXPECT_EQ(Nerla_RemovePlugin(id), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
    EXPECT_EQ(Nerla_PluginGetInfo(id), nullptr);
    // Ids are not reused.
    EXPECT_EQ(load("engine_plugin"), id + 1);
}

TEST_F(Loader, FreeUnloadsEverythingAndTheNextRegistryStartsAgain) {
    load("engine_plugin");
    load("splitter_a");
    load("splitter_a");
    load("container_plugin");
    Nerla_Free();
    for (const char* name : {"engine_plugin", "splitter_a", "container_plugin"}) {
        EXPECT_FALSE(loaded(plugin(name))) << name;
    }
    EXPECT_FALSE(PluginRegistry::current());
    EXPECT_EQ(Nerla_PluginGetInfo(122010), nullptr);
    EXPECT_EQ(load("splitter_a"), 1322u);
    EXPECT_EQ(load("engine_plugin"), 122010u);
}

struct Seen {
    std::vector<std::string> texts;
};

void NERLA_CALL record(const char* caption, const char* text, void* user) {
    static_cast<Seen*>(user)->texts.push_back(std::string(caption) + " " + text);
}

std::vector<std::string> factoryNames(const std::vector<PluginRegistry::Filter>& filters) {
    std::vector<std::string> names;
    for (const auto& f : filters) {
        names.push_back(GST_OBJECT_NAME(gst_element_get_factory(f.element.get())));
    }
    return names;
}

TEST_F(Loader, FilterClassesGiveOneElementEachNewestFirst) {
    ASSERT_TRUE(gst_init_check(nullptr, nullptr, nullptr));
    ASSERT_NE(load("container_plugin"), 0u);
    auto filters = PluginRegistry::current()->createFilters();
    EXPECT_EQ(factoryNames(filters),
              (std::vector<std::string>{"audioconvert", "volume", "identity"}));
    EXPECT_EQ(filters[1].name, "Test Volume");
    EXPECT_EQ(filters[0].name, "");

    // A class without a factory is reported and skipped.
    Seen seen;
    Nerla_SetMessageHook(&record, &seen);
    ASSERT_NE(load("container_failing"), 0u);
    filters = PluginRegistry::current()->createFilters();
    Nerla_SetMessageHook(nullptr, nullptr);
    EXPECT_EQ(filters.size(), 6u);
    ASSERT_EQ(seen.texts.size(), 1u);
    EXPECT_NE(seen.texts[0].find("Error! "), std::string::npos);
    EXPECT_NE(seen.texts[0].find("{44444444-0004-0004-0404-040404040404}"), std::string::npos)
        << seen.texts[0];
    EXPECT_NE(seen.texts[0].find("Class not registered"), std::string::npos);
}

TEST(FactoryGuid, NameBasedAndStable) {
    // uuid5(6f0b8a52-3d1e-5c47-9a0e-4e65726c6101, "identity")
    EXPECT_EQ(nerla::formatGuid(nerla::factoryGuid("identity")),
              "{50D281B2-AFBF-538E-88A1-B3A69AB6CDFA}");
    EXPECT_FALSE(nerla::factoryGuid("identity") == nerla::factoryGuid("identity2"));
    const auto parsed = nerla::parseGuid("{50d281b2-afbf-538e-88a1-b3a69ab6cdfa}");
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(*parsed == nerla::factoryGuid("identity"));
    for (const char* bad :
         {"", "50d281b2-afbf-538e-88a1-b3a69ab6cdfa", "{50d281b2-afbf-538e-88a1-b3a69ab6cdf}",
          "{50d281b2-afbf-538e+88a1-b3a69ab6cdfa}", "{50d281b2-afbf-538e-88a1-b3a69ab6cdfg}"}) {
        EXPECT_FALSE(nerla::parseGuid(bad)) << bad;
    }
}

TEST_F(Loader, GstPluginFilesByFactoryGuid) {
    const std::string file = plugin("libgstnerlaloadertest");
    const std::u16string guid = utf16(nerla::formatGuid(nerla::factoryGuid("nerlaloadertest")));
    const std::u16string other = utf16(nerla::formatGuid(nerla::factoryGuid("identity")));
    EXPECT_EQ(Nerla_LoadPluginDS(file.c_str(), u"{not a guid}", nullptr, 0), 0u);
    EXPECT_EQ(
        Nerla_LoadPluginDS(file.c_str(), u"{00000000-0000-0000-0000-000000000000}", nullptr, 0),
        0u);
    EXPECT_EQ(Nerla_LoadPluginDS(file.c_str(), nullptr, nullptr, 0), 0u);
    EXPECT_EQ(Nerla_LoadPluginDS(file.c_str(), other.c_str(), nullptr, 0), 0u);
    EXPECT_EQ(Nerla_LoadPluginDS(plugin("engine_plugin").c_str(), guid.c_str(), nullptr, 0), 0u);
    EXPECT_EQ(Nerla_LoadPluginDS("/nonexistent.so", guid.c_str(), nullptr, 0), 0u);

    const uint32_t id =
        Nerla_LoadPluginDS(utf16(file).c_str(), guid.c_str(), u"Loader Test", 0x80000000u);
    EXPECT_EQ(id, 88833u);
    EXPECT_EQ(Nerla_PluginGetInfo(id), nullptr);
    const auto filters = PluginRegistry::current()->createFilters();
    EXPECT_EQ(factoryNames(filters), (std::vector<std::string>{"nerlaloadertest"}));
    EXPECT_EQ(filters[0].name, "Loader Test");
}

}  // namespace
