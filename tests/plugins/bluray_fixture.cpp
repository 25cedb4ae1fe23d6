#include "plugins/bluray_fixture.h"

#include <gst/gst.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fixture {
namespace {

void put16(std::vector<uint8_t>& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

void put32(std::vector<uint8_t>& out, uint32_t value) {
    put16(out, static_cast<uint16_t>(value >> 16));
    put16(out, static_cast<uint16_t>(value));
}

void putText(std::vector<uint8_t>& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
}

void patch32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    out[at] = static_cast<uint8_t>(value >> 24);
    out[at + 1] = static_cast<uint8_t>(value >> 16);
    out[at + 2] = static_cast<uint8_t>(value >> 8);
    out[at + 3] = static_cast<uint8_t>(value);
}

std::vector<uint8_t> playItem(const MplsItem& item) {
    std::vector<uint8_t> body;
    putText(body, item.clip);
    putText(body, item.codec);
    put16(body, 0x0001);  // reserved, is_multi_angle 0, connection_condition 1
    body.push_back(0);    // ref_to_STC_id
    put32(body, item.inTime);
    put32(body, item.outTime);
    put32(body, 0);  // UO_mask_table
    put32(body, 0);
    body.push_back(0);  // PlayItem_random_access_flag, reserved
    body.push_back(0);  // still_mode
    put16(body, 0);     // still_time
    // STN_table without stream entries
    put16(body, 14);
    body.insert(body.end(), 14, 0);
    std::vector<uint8_t> out;
    put16(out, static_cast<uint16_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

}  // namespace

std::vector<uint8_t> mplsBytes(const std::vector<MplsItem>& items) {
    std::vector<uint8_t> out;
    putText(out, "MPLS");
    putText(out, "0200");
    put32(out, 0);  // PlayList_start_address, patched below
    put32(out, 0);  // PlayListMark_start_address
    put32(out, 0);  // ExtensionData_start_address
    out.insert(out.end(), 20, 0);
    // AppInfoPlayList
    put32(out, 14);
    out.push_back(0);
    out.push_back(1);  // playback_type: sequential
    put16(out, 0);
    out.insert(out.end(), 8, 0);  // UO_mask_table
    put16(out, 0);
    // PlayList
    const size_t list = out.size();
    patch32(out, 8, static_cast<uint32_t>(list));
    put32(out, 0);  // length, patched below
    put16(out, 0);
    put16(out, static_cast<uint16_t>(items.size()));
    put16(out, 0);  // number_of_SubPaths
    for (const MplsItem& item : items) {
        const auto bytes = playItem(item);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    patch32(out, list, static_cast<uint32_t>(out.size() - list - 4));
    // PlayListMark without marks
    patch32(out, 12, static_cast<uint32_t>(out.size()));
    put32(out, 2);
    put16(out, 0);
    return out;
}

void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

bool makeClip(const std::filesystem::path& path, unsigned frames, uint32_t background,
              unsigned bframes, bool audio) {
    std::filesystem::create_directories(path.parent_path());
    gchar* sound = g_strdup_printf(
        "audiotestsrc num-buffers=%u samplesperbuffer=1920 freq=440 "
        "! audio/x-raw,rate=48000,channels=2 ! avenc_aac ! aacparse ! m.",
        frames);
    gchar* description = g_strdup_printf(
        "videotestsrc num-buffers=%u pattern=ball background-color=0x%08x "
        "! video/x-raw,format=I420,width=160,height=120,framerate=25/1 "
        "! x264enc speed-preset=ultrafast key-int-max=25 bframes=%u ! h264parse "
        "! mpegtsmux m2ts-mode=true name=m ! filesink location=\"%s\" %s",
        frames, background, bframes, path.c_str(), audio ? sound : "");
    g_free(sound);
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description, &error);
    g_free(description);
    if (!pipeline) {
        g_clear_error(&error);
        return false;
    }
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(
        bus, 60 * GST_SECOND, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message) {
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return ok;
}

uint64_t firstVideoPts(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
    for (size_t at = 4; at + 188 <= data.size(); at += 192) {
        const uint8_t* p = data.data() + at;
        if (p[0] != 0x47 || !(p[1] & 0x40) || !(p[3] & 0x10)) {
            continue;
        }
        size_t offset = (p[3] & 0x20) ? 5 + p[4] : 4;
        const uint8_t* pes = p + offset;
        if (offset + 14 > 188 || pes[0] != 0 || pes[1] != 0 || pes[2] != 1 ||
            (pes[3] & 0xF0) != 0xE0 || !(pes[7] & 0x80)) {
            continue;
        }
        const uint8_t* t = pes + 9;
        return (uint64_t{(t[0] >> 1) & 7u} << 30) | (uint64_t{t[1]} << 22) |
               (uint64_t{static_cast<uint8_t>(t[2] >> 1)} << 15) | (uint64_t{t[3]} << 7) |
               (t[4] >> 1);
    }
    throw std::runtime_error("no video PES in " + path.string());
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "nerla-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
}

}  // namespace fixture
