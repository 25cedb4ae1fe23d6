#include "quarnex/playlist_bin.h"

#include <algorithm>
#include <array>
#include <mutex>
#include <new>
#include <string_view>
#include <vector>

#include "common/gst_ptr.h"
#include "quarnex/discard_element.h"
#include "quarnex/join_element.h"
#include "quarnex/log.h"
#include "quarnex/playlist_control.h"
#include "quarnex/stream_join.h"

#define GST_CAT_DEFAULT quarnex_debug

namespace quarnex {
namespace {

enum Kind { kVideo = 0, kAudio = 1, kOther = 2 };
constexpr std::array<const char*, 2> kKindNames = {"video", "audio"};

Kind kindOf(GstPad* pad) {
    const plugin::GCharPtr name(gst_pad_get_name(pad));
    const std::string_view text(name.get());
    if (text.starts_with("video")) {
        return kVideo;
    }
    if (text.starts_with("audio")) {
        return kAudio;
    }
    if (text.starts_with("subpicture") || text.starts_with("private")) {
        return kOther;
    }
    const plugin::CapsPtr caps(gst_pad_query_caps(pad, nullptr));
    if (caps && gst_caps_get_size(caps.get()) > 0) {
        const std::string_view media(gst_structure_get_name(gst_caps_get_structure(caps.get(), 0)));
        if (media.starts_with("video/")) {
            return kVideo;
        }
        if (media.starts_with("audio/")) {
            return kAudio;
        }
    }
    return kOther;
}

// Builds and routes the bin's children.
class PlaylistBin {
  public:
    PlaylistBin(GstBin* bin, PlaylistTimeline timeline, std::string id)
        : bin_(bin),
          control_(GST_ELEMENT(bin), std::move(timeline)),
          id_(std::move(id)),
          groupId_(gst_util_group_id_next()) {
        counts_.resize(control_.timeline().size());
    }

    PlaylistControl& control() { return control_; }

    bool build() {
        discard_ = makeDiscardElement("Unplayed Streams");
        if (!gst_bin_add(bin_, discard_)) {
            return false;
        }
        for (size_t i = 0; i < control_.timeline().size(); ++i) {
            const std::string number = std::to_string(i + 1);
            GstElement* source = gst_element_factory_make("filesrc", ("Clip " + number).c_str());
            GstElement* demux =
                gst_element_factory_make("tsdemux", ("Clip " + number + " Demuxer").c_str());
            if (!source || !demux) {
                GST_ERROR("filesrc or tsdemux is missing");
                if (source) {
                    gst_object_unref(gst_object_ref_sink(source));
                }
                if (demux) {
                    gst_object_unref(gst_object_ref_sink(demux));
                }
                return false;
            }
            g_object_set(source, "location", control_.timeline().item(i).path.c_str(), nullptr);
            g_object_set_data(G_OBJECT(demux), "quarnex-item", GSIZE_TO_POINTER(i));
            g_signal_connect(demux, "pad-added", G_CALLBACK(&PlaylistBin::onDemuxPad), this);
            g_signal_connect(demux, "no-more-pads", G_CALLBACK(&PlaylistBin::onDemuxDone), this);
            gst_bin_add_many(bin_, source, demux, nullptr);
            if (!gst_element_link(source, demux)) {
                return false;
            }
            control_.setDemuxer(i, demux);
        }
        return true;
    }

    void resetRouting() {
        std::lock_guard lock(routeMutex_);
        for (auto& count : counts_) {
            count = {};
        }
        std::lock_guard ghosts(ghostMutex_);
        firstItemKinds_ = {};
        firstItemDone_ = false;
        shown_ = {};
    }

    // Like a demuxer's, the bin's preroll waits for its streams: the host
    // links them as they appear, and its sinks preroll before the bin is done.
    void beginPreroll() {
        {
            std::lock_guard lock(ghostMutex_);
            prerolling_ = true;
        }
        GST_BIN_CLASS(parentClass_)
            ->handle_message(bin_, gst_message_new_async_start(GST_OBJECT(bin_)));
    }

    void endPreroll() {
        {
            std::lock_guard lock(ghostMutex_);
            if (!prerolling_) {
                return;
            }
            prerolling_ = false;
        }
        GST_BIN_CLASS(parentClass_)
            ->handle_message(bin_,
                             gst_message_new_async_done(GST_OBJECT(bin_), GST_CLOCK_TIME_NONE));
    }

    static void setParentClass(gpointer parentClass) { parentClass_ = parentClass; }

  private:
    static size_t itemOf(GstElement* demux) {
        return GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(demux), "quarnex-item"));
    }

    static void onDemuxPad(GstElement* demux, GstPad* pad, gpointer self) {
        static_cast<PlaylistBin*>(self)->route(itemOf(demux), pad);
    }

    static void onDemuxDone(GstElement* demux, gpointer self) {
        auto* bin = static_cast<PlaylistBin*>(self);
        const size_t item = itemOf(demux);
        if (item == 0) {
            {
                std::lock_guard lock(bin->ghostMutex_);
                bin->firstItemDone_ = true;
            }
            bin->checkShown();
        }
        bin->control_.padsKnown(item);
    }

    // Every stream of the first item is out: the preroll can complete.
    void checkShown() {
        {
            std::lock_guard lock(ghostMutex_);
            if (!firstItemDone_ || (firstItemKinds_[kVideo] && !shown_[kVideo]) ||
                (firstItemKinds_[kAudio] && !shown_[kAudio])) {
                return;
            }
        }
        endPreroll();
    }

    static void onDecodedPad(GstElement* /*decoder*/, GstPad* pad, gpointer self) {
        static_cast<PlaylistBin*>(self)->expose(pad);
    }

    static void onDecodedPadRemoved(GstElement* /*decoder*/, GstPad* pad, gpointer self) {
        static_cast<PlaylistBin*>(self)->withdraw(pad);
    }

    void route(size_t item, GstPad* pad) {
        std::lock_guard lock(routeMutex_);
        const Kind kind = kindOf(pad);
        GstPad* target = nullptr;
        if (kind != kOther && counts_[item][kind]++ == 0) {
            if (StreamJoin* join = joinFor(kind)) {
                target = join->slotPad(item);
            }
            if (target && item == 0) {
                std::lock_guard ghosts(ghostMutex_);
                firstItemKinds_[kind] = true;
            }
        }
        if (!target) {
            target = discardPad(discard_);
        }
        if (!target) {
            GST_WARNING_OBJECT(bin_, "nowhere to link %s:%s", GST_DEBUG_PAD_NAME(pad));
            return;
        }
        if (GstPad* previous = gst_pad_get_peer(target)) {
            gst_pad_unlink(previous, target);  // a demuxer pad of an earlier run
            gst_object_unref(previous);
        }
        const GstPadLinkReturn linked = gst_pad_link(pad, target);
        GST_DEBUG_OBJECT(bin_, "item %zu: %s:%s -> %s:%s (%d)", item, GST_DEBUG_PAD_NAME(pad),
                         GST_DEBUG_PAD_NAME(target), linked);
    }

    StreamJoin* joinFor(Kind kind) {
        if (joins_[kind]) {
            return joins_[kind];
        }
        const std::string name = kKindNames[kind];
        StreamJoin* join = nullptr;
        GstElement* element = makeJoinElement(control_, control_.timeline().size(), name + " join",
                                              id_ + "/" + name, groupId_, &join);
        // Each stream gets a queue and a decoder of its own. A decoder shows its
        // stream only once its parser has framed some of it, and a demuxer
        // feeds all its streams from one thread: the queue keeps one stream
        // from waiting for the other's first frames.
        GstElement* queue = gst_element_factory_make("queue", (name + " queue").c_str());
        GstElement* decoder = gst_element_factory_make("decodebin3", (name + " decoder").c_str());
        if (!queue || !decoder) {
            GST_ERROR("queue or decodebin3 is missing");
            for (GstElement* made : {element, queue, decoder}) {
                if (made) {
                    gst_object_unref(gst_object_ref_sink(made));
                }
            }
            return nullptr;
        }
        g_signal_connect(decoder, "pad-added", G_CALLBACK(&PlaylistBin::onDecodedPad), this);
        g_signal_connect(decoder, "pad-removed", G_CALLBACK(&PlaylistBin::onDecodedPadRemoved),
                         this);
        gst_bin_add_many(bin_, element, queue, decoder, nullptr);
        if (!gst_element_link_many(element, queue, decoder, nullptr)) {
            GST_ERROR_OBJECT(bin_, "cannot link the %s join to its decoder", name.c_str());
            return nullptr;
        }
        control_.addJoin(element, join);
        gst_element_sync_state_with_parent(decoder);
        gst_element_sync_state_with_parent(queue);
        gst_element_sync_state_with_parent(element);
        joins_[kind] = join;
        return join;
    }

    void expose(GstPad* pad) {
        const Kind kind = kindOf(pad);
        if (GST_PAD_DIRECTION(pad) != GST_PAD_SRC || kind == kOther) {
            return;
        }
        const std::string pattern = std::string(kKindNames[kind]) + "_%u";
        GstPadTemplate* padTemplate =
            gst_element_class_get_pad_template(GST_ELEMENT_GET_CLASS(bin_), pattern.c_str());
        std::string name = kKindNames[kind];
        GstPad* ghost = nullptr;
        {
            std::lock_guard lock(ghostMutex_);
            name += "_" + std::to_string(exposed_[kind]++);
            ghost = gst_ghost_pad_new_from_template(name.c_str(), pad, padTemplate);
            ghosts_.emplace_back(pad, ghost);
        }
        gst_pad_set_active(ghost, TRUE);
        // the host links the new pad from its pad-added handler
        gst_element_add_pad(GST_ELEMENT(bin_), ghost);
        GST_DEBUG_OBJECT(bin_, "exposed %s", name.c_str());
        {
            std::lock_guard lock(ghostMutex_);
            shown_[kind] = true;
        }
        checkShown();
    }

    void withdraw(GstPad* pad) {
        GstPad* ghost = nullptr;
        {
            std::lock_guard lock(ghostMutex_);
            const auto it = std::find_if(ghosts_.begin(), ghosts_.end(),
                                         [pad](const auto& entry) { return entry.first == pad; });
            if (it == ghosts_.end()) {
                return;
            }
            ghost = it->second;
            ghosts_.erase(it);
        }
        gst_element_remove_pad(GST_ELEMENT(bin_), ghost);
    }

    GstBin* bin_;
    PlaylistControl control_;
    const std::string id_;
    const guint groupId_;
    GstElement* discard_ = nullptr;

    std::mutex routeMutex_;
    std::vector<std::array<unsigned, 2>> counts_;  // per item: video, audio pads seen
    std::array<StreamJoin*, 2> joins_{};

    static gpointer parentClass_;

    std::mutex ghostMutex_;
    std::array<bool, 2> firstItemKinds_{};  // the streams the first item gives
    bool firstItemDone_ = false;
    std::array<bool, 2> shown_{};
    bool prerolling_ = false;
    std::array<unsigned, 2> exposed_{};
    std::vector<std::pair<GstPad*, GstPad*>> ghosts_;  // decoder pad, ghost pad
};

gpointer PlaylistBin::parentClass_ = nullptr;

struct QuarnexPlaylist {
    GstBin parent;
    bool constructed;
    alignas(PlaylistBin) unsigned char storage[sizeof(PlaylistBin)];
};

struct QuarnexPlaylistClass {
    GstBinClass parent_class;
};

PlaylistBin* logicOf(QuarnexPlaylist* self) {
    return std::launder(reinterpret_cast<PlaylistBin*>(self->storage));
}

GstStaticPadTemplate videoTemplate =
    GST_STATIC_PAD_TEMPLATE("video_%u", GST_PAD_SRC, GST_PAD_SOMETIMES, GST_STATIC_CAPS_ANY);
GstStaticPadTemplate audioTemplate =
    GST_STATIC_PAD_TEMPLATE("audio_%u", GST_PAD_SRC, GST_PAD_SOMETIMES, GST_STATIC_CAPS_ANY);

}  // namespace
}  // namespace quarnex

using quarnex::QuarnexPlaylist;
using quarnex::QuarnexPlaylistClass;

G_DEFINE_TYPE(QuarnexPlaylist, quarnex_playlist, GST_TYPE_BIN)

namespace {

GstStateChangeReturn quarnexPlaylistChangeState(GstElement* element, GstStateChange transition) {
    auto* self = reinterpret_cast<QuarnexPlaylist*>(element);
    if (!self->constructed) {
        return GST_ELEMENT_CLASS(quarnex_playlist_parent_class)->change_state(element, transition);
    }
    quarnex::PlaylistBin* logic = quarnex::logicOf(self);
    if (transition == GST_STATE_CHANGE_READY_TO_PAUSED) {
        logic->resetRouting();
        logic->control().start();
        logic->beginPreroll();
    } else if (transition == GST_STATE_CHANGE_PAUSED_TO_READY) {
        logic->control().stop();
        logic->endPreroll();
    }
    GstStateChangeReturn result =
        GST_ELEMENT_CLASS(quarnex_playlist_parent_class)->change_state(element, transition);
    if (transition == GST_STATE_CHANGE_READY_TO_PAUSED) {
        if (result == GST_STATE_CHANGE_FAILURE) {
            logic->endPreroll();
        } else {
            result = GST_STATE_CHANGE_ASYNC;
        }
    }
    return result;
}

void quarnexPlaylistFinalize(GObject* object) {
    auto* self = reinterpret_cast<QuarnexPlaylist*>(object);
    if (self->constructed) {
        quarnex::logicOf(self)->~PlaylistBin();
        self->constructed = false;
    }
    G_OBJECT_CLASS(quarnex_playlist_parent_class)->finalize(object);
}

}  // namespace

static void quarnex_playlist_class_init(QuarnexPlaylistClass* klass) {
    quarnex::PlaylistBin::setParentClass(quarnex_playlist_parent_class);
    G_OBJECT_CLASS(klass)->finalize = quarnexPlaylistFinalize;
    auto* element = GST_ELEMENT_CLASS(klass);
    element->change_state = quarnexPlaylistChangeState;
    gst_element_class_add_static_pad_template(element, &quarnex::videoTemplate);
    gst_element_class_add_static_pad_template(element, &quarnex::audioTemplate);
    gst_element_class_set_static_metadata(element, "Quarnex Blu-ray Playlist", "Source/Bin",
                                          "Plays the clips of a Blu-ray playlist as one medium",
                                          "Corvane");
}

static void quarnex_playlist_init(QuarnexPlaylist* self) {
    self->constructed = false;
}

namespace quarnex {

GstElement* makePlaylistBin(PlaylistTimeline timeline, const std::string& name,
                            const std::string& id) {
    auto* self = static_cast<QuarnexPlaylist*>(
        g_object_new(quarnex_playlist_get_type(), "name", name.c_str(), nullptr));
    auto* logic = new (self->storage) PlaylistBin(GST_BIN(self), std::move(timeline), id);
    self->constructed = true;
    if (!logic->build()) {
        gst_object_unref(gst_object_ref_sink(self));
        return nullptr;
    }
    return GST_ELEMENT(self);
}

}  // namespace quarnex
