/*
 * Nerla media engine: the flat C interface.
 *
 * Every function resolves its channel handle first; failures are reported by
 * the return value (0, null or 0.0) together with Nerla_ErrorGetCode().
 * Text arguments are "ANSI" (char in the process locale, UTF-8) or UTF-16
 * (char16_t), as the flag or encoding argument of each function says:
 *   sign form:  bit 31 (0x80000000) set means UTF-16;
 *   exact form: 0 means ANSI, 0x80000000 means UTF-16, anything else is refused;
 *   zero form:  0 means ANSI, anything else UTF-16.
 */
#ifndef NERLA_H
#define NERLA_H

#include <stddef.h>
#include <stdint.h>

#include <uchar.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32) && !defined(_WIN64)
#define NERLA_CALL __stdcall
#else
#define NERLA_CALL
#endif

#if defined(NERLA_BUILDING)
#define NERLA_API __attribute__((visibility("default")))
#else
#define NERLA_API
#endif

/* ---- Basic types ------------------------------------------------------ */

typedef uint32_t NerlaHandle;  /* channel handle, never 0 for a live channel */
typedef uintptr_t NerlaWindow; /* X11 window id */

typedef struct NerlaGUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} NerlaGUID;

typedef struct NerlaRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
} NerlaRect;

/* Picture returned by snapshots and Nerla_RGB32ToHBitmap; free with Nerla_FreeMem. */
typedef struct NerlaBitmap {
    int32_t width;
    int32_t height;
    int32_t stride;  /* bytes per row */
    uint8_t* pixels; /* BGRA, top row first */
} NerlaBitmap;

/* ---- Constants -------------------------------------------------------- */

#define NERLA_VERSION 0x10301

#define NERLA_OK 0
#define NERLA_ERROR_HANDLE 1
#define NERLA_ERROR_DEVICE 2
#define NERLA_ERROR_INIT 3
#define NERLA_ERROR_POSITION 4
#define NERLA_ERROR_GRAPH 5
#define NERLA_ERROR_NOAUDIO 7
#define NERLA_ERROR_NOVIDEO 8
#define NERLA_ERROR_MEMORY 9
#define NERLA_ERROR_ILLPARAM 11
#define NERLA_ERROR_COM 13
#define NERLA_ERROR_FORMAT 16

#define NERLA_CONFIG_VIDEO_RENDERER 0x1000
#define NERLA_CONFIG_DEFAULT_WINDOW 0x1001
#define NERLA_CONFIG_MIXER_STREAMS 0x1002
#define NERLA_CONFIG_AUDIO_RENDERER 0x1004
#define NERLA_CONFIG_FLOAT_DSP 0x1005

#define NERLA_AUDIO_RENDERER_NULL 10094
#define NERLA_AUDIO_RENDERER_DEFAULT (-1)

/* Stream-creation flag word: a pattern counts only when all its bits are set. */
#define NERLA_FLAG_UNICODE 0x80000000u
#define NERLA_FLAG_SIDE_BY_SIDE 0x123456u
#define NERLA_FLAG_TOP_BOTTOM 0x432100u
#define NERLA_FLAG_SINGLE_VIEW 0x876543u
#define NERLA_FLAG_3DVISION 0x1600000u
#define NERLA_FLAG_MIXING 0x60000000u
#define NERLA_FLAG_LOOP 0x8000500u
#define NERLA_FLAG_RENDERER_DATA 0x200000u

/* Effect types of Nerla_ChannelSetFX */
#define NERLA_FX_WAVES_REVERB 1 /* DSFXWavesReverb */
#define NERLA_FX_PARAMEQ 2      /* DSFXParamEq */
#define NERLA_FX_CHORUS 3       /* DSFXChorus */
#define NERLA_FX_COMPRESSOR 4   /* DSFXCompressor */
#define NERLA_FX_ECHO 5         /* DSFXEcho */
#define NERLA_FX_FLANGER 6      /* DSFXFlanger */
#define NERLA_FX_TEMPO 7        /* NerlaTempoParameters */
#define NERLA_FX_CHANNEL_MIX 8  /* NerlaChannelMixParameters */

/* Requests of Nerla_ChannelGetData: a byte count of the stream's own
 * samples, NERLA_DATA_FLOAT plus a byte count of floats (low 16 bits), or a
 * spectrum of 256 to 2048 points (128 to 1024 magnitudes). */
#define NERLA_DATA_FLOAT 0x40000000
#define NERLA_DATA_FFT256 0x60000001
#define NERLA_DATA_FFT512 0x60000002
#define NERLA_DATA_FFT1024 0x60000003
#define NERLA_DATA_FFT2048 0x60000004

#define NERLA_ENCODING_ANSI 0u
#define NERLA_ENCODING_UTF16 0x80000000u

/* Length and position units */
#define NERLA_UNIT_SECONDS 0
#define NERLA_UNIT_FRAMES 1
#define NERLA_UNIT_MILLISECONDS 2
#define NERLA_UNIT_MEDIA_TIME 3 /* 100-nanosecond units */

/* Channel states */
#define NERLA_STATE_NONE 0
#define NERLA_STATE_PLAYING 1
#define NERLA_STATE_PAUSED 2
#define NERLA_STATE_STOPPED 3

/* Sync callback types */
#define NERLA_SYNC_END 1
#define NERLA_SYNC_REPAINT 5
#define NERLA_SYNC_SIZE_CHANGED 6
#define NERLA_SYNC_PAUSED 8
#define NERLA_SYNC_SLIDE 10 /* to a slide's own callback; data2 is its user value */

/* Channel attributes */
#define NERLA_ATTRIB_VOLUME 1
#define NERLA_ATTRIB_BALANCE 2
#define NERLA_ATTRIB_RATE 3
#define NERLA_ATTRIB_VIDEO_ALPHA 4
#define NERLA_ATTRIB_VIEW 5

/* Capture device classes */
#define NERLA_DEVICE_AUDIO_CAPTURE 0x10066
#define NERLA_DEVICE_VIDEO_CAPTURE 0x10080

/* ---- Records ---------------------------------------------------------- */

typedef struct NerlaChannelInfo {
    float framesPerSecond;
    int32_t videoHeight;
    int32_t videoWidth;
    int32_t audioChannels;
    int32_t audioSampleRate;
    int32_t audioBitsPerSample;
    uint8_t audioFloat;
} NerlaChannelInfo;

typedef struct NerlaStreamInfo {
    int32_t type;     /* 0 no media type, 1 video, 2 audio, 3 other */
    const void* name; /* char or char16_t, per the encoding asked for */
    int32_t index;
    int32_t enabled;
} NerlaStreamInfo;

/* Bitmap laid over the video (Nerla_ChannelOverlayBMP). The first eleven
 * fields are the 44 bytes of the classic description; the last one points to
 * the RGB32 pixels instead of a device context (at offset 48 on 64-bit). */
typedef struct NerlaOverlayBitmap {
    int32_t show;       /* > 0 show, <= 0 hide */
    int32_t sourceLeft; /* in pixels of the bitmap */
    int32_t sourceTop;
    int32_t sourceRight;
    int32_t sourceBottom;
    float destLeft; /* fractions of the video width and height, 0..1 */
    float destTop;
    float destRight;
    float destBottom;
    float opacity;     /* 0..1 */
    uint32_t colorKey; /* 0x00BBGGRR: pixels of this colour are transparent */
    const NerlaBitmap* bitmap;
} NerlaOverlayBitmap;

typedef struct NerlaColorRange {
    float minimum;
    float maximum;
    float defaultValue;
    float step;
    int32_t control; /* input: 1 brightness, 2 contrast, 4 hue, 8 saturation */
} NerlaColorRange;

/* Effect parameter records. The six DSFX records have the layout, meanings,
 * ranges and defaults of the published DirectSound effect parameters; a
 * record with a value out of range is refused and changes nothing. */

typedef struct DSFXWavesReverb {
    float fInGain;          /* dB, -96..0, default 0 */
    float fReverbMix;       /* dB, -96..0 (0 is all reverb), default 0 */
    float fReverbTime;      /* ms, 0.001..3000, default 1000 */
    float fHighFreqRTRatio; /* 0.001..0.999, default 0.001 */
} DSFXWavesReverb;

typedef struct DSFXParamEq {
    float fCenter;    /* Hz, 80..16000 (at most a third of the rate), default 8000 */
    float fBandwidth; /* semitones, 1..36, default 12 */
    float fGain;      /* dB, -15..15, default 0 */
} DSFXParamEq;

#define DSFXCHORUS_WAVE_TRIANGLE 0
#define DSFXCHORUS_WAVE_SIN 1
#define DSFXFLANGER_WAVE_TRIANGLE 0
#define DSFXFLANGER_WAVE_SIN 1
/* LFO phase of the right channel against the left */
#define DSFXCHORUS_PHASE_NEG_180 0
#define DSFXCHORUS_PHASE_NEG_90 1
#define DSFXCHORUS_PHASE_ZERO 2
#define DSFXCHORUS_PHASE_90 3
#define DSFXCHORUS_PHASE_180 4
#define DSFXFLANGER_PHASE_NEG_180 0
#define DSFXFLANGER_PHASE_NEG_90 1
#define DSFXFLANGER_PHASE_ZERO 2
#define DSFXFLANGER_PHASE_90 3
#define DSFXFLANGER_PHASE_180 4

typedef struct DSFXChorus {
    float fWetDryMix;  /* percent wet, 0..100, default 50 */
    float fDepth;      /* percent of the delay modulated, 0..100, default 10 */
    float fFeedback;   /* percent, -99..99, default 25 */
    float fFrequency;  /* LFO Hz, 0..10, default 1.1 */
    int32_t lWaveform; /* DSFXCHORUS_WAVE_*, default sine */
    float fDelay;      /* ms, 0..20, default 16 */
    int32_t lPhase;    /* DSFXCHORUS_PHASE_*, default 90 degrees */
} DSFXChorus;

typedef struct DSFXCompressor {
    float fGain;      /* make-up gain dB, -60..60, default 0 */
    float fAttack;    /* ms, 0.01..500, default 10 */
    float fRelease;   /* ms, 50..3000, default 200 */
    float fThreshold; /* dB, -60..0, default -20 */
    float fRatio;     /* 1..100, default 3 */
    float fPredelay;  /* ms, 0..4, default 4 */
} DSFXCompressor;

typedef struct DSFXEcho {
    float fWetDryMix;  /* percent wet, 0..100, default 50 */
    float fFeedback;   /* percent, 0..100, default 50 */
    float fLeftDelay;  /* ms, 1..2000, default 500 */
    float fRightDelay; /* ms, 1..2000, default 500 */
    int32_t lPanDelay; /* 0 or 1: swap sides with each echo, default 0 */
} DSFXEcho;

typedef struct DSFXFlanger {
    float fWetDryMix;  /* percent wet, 0..100, default 50 */
    float fDepth;      /* percent of the delay modulated, 0..100, default 100 */
    float fFeedback;   /* percent, -99..99, default -50 */
    float fFrequency;  /* LFO Hz, 0..10, default 0.25 */
    int32_t lWaveform; /* DSFXFLANGER_WAVE_*, default sine */
    float fDelay;      /* ms, 0..4, default 2 */
    int32_t lPhase;    /* DSFXFLANGER_PHASE_*, default zero */
} DSFXFlanger;

typedef struct NerlaTempoParameters {
    float tempo; /* 1.0 unchanged */
    float pitch; /* semitones, 0 unchanged */
    float rate;  /* 1.0 unchanged; below 0.1 taken as 0.1 */
} NerlaTempoParameters;

typedef struct NerlaChannelMixParameters {
    int32_t mode; /* 0 unchanged, 1 left onto right, other right onto left */
} NerlaChannelMixParameters;

/* ---- Callbacks -------------------------------------------------------- */

typedef void(NERLA_CALL* NerlaDeviceProc)(const void* name, NerlaGUID clsid, void* user);
typedef void(NERLA_CALL* NerlaProfileProc)(const void* profile, void* user);
typedef void(NERLA_CALL* NerlaSyncProc)(NerlaHandle channel, uint32_t type, uintptr_t data1,
                                        uintptr_t data2);
typedef void(NERLA_CALL* NerlaDSPProc)(uint32_t dsp, NerlaHandle channel, void* buffer,
                                       uint32_t length, void* user);
typedef void(NERLA_CALL* NerlaStreamProc)(int32_t type, const void* name, int32_t index,
                                          int32_t index2, void* user);
typedef void(NERLA_CALL* NerlaFilterProc)(int32_t zero, const void* name, int32_t hasPages,
                                          int32_t zero2);

typedef struct NerlaUserFileCallbacks {
    void(NERLA_CALL* close)(void* user);
    uint64_t(NERLA_CALL* length)(void* user);
    uint32_t(NERLA_CALL* read)(void* buffer, uint32_t count, void* user);
    void(NERLA_CALL* seek)(uint64_t position, void* user);
} NerlaUserFileCallbacks;

typedef struct NerlaCustomRendererCallbacks {
    void(NERLA_CALL* end)(void* user);
    void(NERLA_CALL* sample)(const void* data, uint32_t length, void* user);
    int32_t(NERLA_CALL* format)(int32_t width, int32_t height, int32_t pixelFormat, void* user);
} NerlaCustomRendererCallbacks;

/* ---- Library and configuration ---------------------------------------- */

NERLA_API int32_t NERLA_CALL Nerla_Init(NerlaWindow win, int32_t reserved);
NERLA_API int32_t NERLA_CALL Nerla_Free(void);
NERLA_API int32_t NERLA_CALL Nerla_GetVersion(void);
NERLA_API int32_t NERLA_CALL Nerla_ErrorGetCode(void);
NERLA_API intptr_t NERLA_CALL Nerla_SetConfig(uint32_t option, intptr_t value);
NERLA_API intptr_t NERLA_CALL Nerla_GetConfig(uint32_t option);
NERLA_API int32_t NERLA_CALL Nerla_SetCustomVRendData(const NerlaCustomRendererCallbacks* callbacks,
                                                      void* user);
NERLA_API int32_t NERLA_CALL Nerla_SetCustomVRendData2(
    void(NERLA_CALL* end)(void*), void(NERLA_CALL* sample)(const void*, uint32_t, void*),
    int32_t(NERLA_CALL* format)(int32_t, int32_t, int32_t, void*), void* user);
NERLA_API NerlaWindow NERLA_CALL Nerla_SetMixingWindow(NerlaWindow win);

/* ---- Stream creation -------------------------------------------------- */

NERLA_API NerlaHandle NERLA_CALL Nerla_StreamCreateFile(const void* path, int32_t reserved,
                                                        NerlaWindow win, uint32_t flags);
NERLA_API NerlaHandle NERLA_CALL Nerla_StreamCreateURL(const void* url, int32_t reserved,
                                                       NerlaWindow win, uint32_t flags);
NERLA_API NerlaHandle NERLA_CALL Nerla_StreamCreateDVD(const void* path, int32_t reserved,
                                                       NerlaWindow win, uint32_t flags);
NERLA_API NerlaHandle NERLA_CALL Nerla_StreamCreateUserRenderer(
    const void* path, int32_t reserved, const NerlaCustomRendererCallbacks* callbacks, void* user,
    uint32_t flags);
NERLA_API NerlaHandle NERLA_CALL Nerla_StreamCreateFileMem(const void* data, uint32_t sizeLow,
                                                           uint32_t sizeHigh, NerlaWindow win,
                                                           uint32_t flags, int32_t container);
NERLA_API NerlaHandle NERLA_CALL Nerla_StreamCreateFileUser(const NerlaUserFileCallbacks* callbacks,
                                                            void* user, NerlaWindow win,
                                                            uint32_t flags, int32_t container);
NERLA_API NerlaHandle NERLA_CALL Nerla_CaptureCreate(int32_t audioDevice, int32_t videoDevice,
                                                     int32_t reserved1, int32_t reserved2,
                                                     NerlaWindow win, uint32_t flags);
NERLA_API int32_t NERLA_CALL Nerla_StreamFree(NerlaHandle channel);
NERLA_API int32_t NERLA_CALL Nerla_ChannelAddFile(NerlaHandle channel, const void* path,
                                                  uint32_t encoding);

/* ---- Transport, position and information ------------------------------ */

NERLA_API int32_t NERLA_CALL Nerla_ChannelPlay(NerlaHandle channel);
NERLA_API int32_t NERLA_CALL Nerla_ChannelPause(NerlaHandle channel);
NERLA_API int32_t NERLA_CALL Nerla_ChannelStop(NerlaHandle channel);
NERLA_API int32_t NERLA_CALL Nerla_ChannelGetState(NerlaHandle channel);
NERLA_API double NERLA_CALL Nerla_ChannelGetLength(NerlaHandle channel, int32_t unit);
NERLA_API double NERLA_CALL Nerla_ChannelGetPosition(NerlaHandle channel, int32_t unit);
NERLA_API int32_t NERLA_CALL Nerla_ChannelSetPosition(NerlaHandle channel, double position,
                                                      int32_t unit);
NERLA_API int32_t NERLA_CALL Nerla_ChannelSetPositionVB(NerlaHandle channel, uint32_t low,
                                                        uint32_t high, int32_t unit);
NERLA_API int32_t NERLA_CALL Nerla_ChannelGetInfo(NerlaHandle channel, NerlaChannelInfo* info);
/* The channel's GstPipeline, not referenced for the caller. */
NERLA_API void* NERLA_CALL Nerla_GetGraph(NerlaHandle channel);
NERLA_API int32_t NERLA_CALL Nerla_EncoderRemoveClock(NerlaHandle channel);

/* ---- Streams, filters and subtitles ----------------------------------- */

NERLA_API int32_t NERLA_CALL Nerla_ChannelStreamsCount(NerlaHandle channel);
NERLA_API int32_t NERLA_CALL Nerla_ChannelGetStream(NerlaHandle channel, int32_t index,
                                                    NerlaStreamInfo* info, uint32_t encoding);
NERLA_API int32_t NERLA_CALL Nerla_ChannelEnumerateStreams(NerlaHandle channel,
                                                           NerlaStreamProc callback, void* user,
                                                           uint32_t encoding);
NERLA_API int32_t NERLA_CALL Nerla_ChannelEnableStream(NerlaHandle channel, int32_t index);
NERLA_API int32_t NERLA_CALL Nerla_ChannelGetConnectedFilters(NerlaHandle channel,
                                                              NerlaFilterProc callback,
                                                              int32_t reserved, uint32_t encoding);
NERLA_API int32_t NERLA_CALL Nerla_ShowFilterPropertyPage(NerlaHandle channel, int32_t index,
                                                          NerlaWindow parent);
NERLA_API int32_t NERLA_CALL Nerla_ChannelLoadSubtitle(NerlaHandle channel, const void* path,
                                                       uint32_t encoding);

/* ---- Sync callbacks --------------------------------------------------- */

NERLA_API int32_t NERLA_CALL Nerla_ChannelSetCallbackSync(NerlaHandle channel,
                                                          NerlaSyncProc callback);
NERLA_API int32_t NERLA_CALL Nerla_ChannelRemCallbackSync(NerlaHandle channel);

/* ---- Audio ------------------------------------------------------------ */

NERLA_API uint32_t NERLA_CALL Nerla_ChannelSetDSP(NerlaHandle channel, NerlaDSPProc callback,
                                                  void* user);
NERLA_API int32_t NERLA_CALL Nerla_ChannelRemoveDSP(NerlaHandle channel, uint32_t dsp);
NERLA_API uint32_t NERLA_CALL Nerla_ChannelSetFX(NerlaHandle channel, int32_t type);
NERLA_API int32_t NERLA_CALL Nerla_ChannelRemoveFX(NerlaHandle channel, uint32_t fx);
NERLA_API int32_t NERLA_CALL Nerla_SetFXParameters(NerlaHandle channel, uint32_t fx,
                                                   const void* parameters);
NERLA_API int32_t NERLA_CALL Nerla_GetFXParameters(NerlaHandle channel, uint32_t fx,
                                                   void* parameters);
NERLA_API int32_t NERLA_CALL Nerla_ChannelSetAttribute(NerlaHandle channel, int32_t attribute,
                                                       float value);
NERLA_API float NERLA_CALL Nerla_ChannelGetAttribute(NerlaHandle channel, int32_t attribute);
NERLA_API int32_t NERLA_CALL Nerla_ChannelSlideAttrib(NerlaHandle channel, int32_t attribute,
                                                      float target, float durationMs,
                                                      NerlaSyncProc callback, void* user);
NERLA_API int32_t NERLA_CALL Nerla_ChannelGetData(NerlaHandle channel, void* buffer,
                                                  int32_t lengthOrFlags);
NERLA_API uint32_t NERLA_CALL Nerla_ChannelGetLevel(NerlaHandle channel);
NERLA_API int32_t NERLA_CALL Nerla_ChannelSetAudioDevice(NerlaHandle channel, int32_t choice);
NERLA_API int32_t NERLA_CALL Nerla_GetAudioRenderers(NerlaDeviceProc callback, void* user,
                                                     uint32_t encoding);
NERLA_API int32_t NERLA_CALL Nerla_GetAudioDeviceType(const void* name, uint32_t encoding);

/* ---- Video and windows ------------------------------------------------ */

NERLA_API int32_t NERLA_CALL Nerla_ChannelSetWindow(NerlaHandle channel, uint32_t windowId,
                                                    NerlaWindow win);
NERLA_API int32_t NERLA_CALL Nerla_ChannelResizeWindow(NerlaHandle channel, uint32_t windowId,
                                                       int32_t x, int32_t y, int32_t width,
                                                       int32_t height);
NERLA_API uint32_t NERLA_CALL Nerla_ChannelAddWindow(NerlaHandle channel, NerlaWindow win,
                                                     int32_t rendererType);
NERLA_API int32_t NERLA_CALL Nerla_ChannelRemoveWindow(NerlaHandle channel, uint32_t windowId);
NERLA_API int32_t NERLA_CALL Nerla_ChannelRepaint(NerlaHandle channel, uint32_t windowId,
                                                  NerlaWindow win, uintptr_t deviceContext);
NERLA_API NerlaBitmap* NERLA_CALL Nerla_ChannelGetBitmap(NerlaHandle channel, uint32_t windowId);
NERLA_API int32_t NERLA_CALL Nerla_ChannelOverlayBMP(NerlaHandle channel, uint32_t windowId,
                                                     const void* overlay);
NERLA_API int32_t NERLA_CALL Nerla_ChannelSetColorValue(NerlaHandle channel, uint32_t windowId,
                                                        int32_t control, float value);
NERLA_API int32_t NERLA_CALL Nerla_ChannelColorRange(NerlaHandle channel, uint32_t windowId,
                                                     int32_t control, NerlaColorRange* range);
NERLA_API int32_t NERLA_CALL Nerla_MixSetLayerAlpha(NerlaHandle channel, uint32_t windowId,
                                                    int32_t layer, float alpha);
NERLA_API float NERLA_CALL Nerla_MixGetLayerAlpha(NerlaHandle channel, int32_t layer);
NERLA_API int32_t NERLA_CALL Nerla_MixLayerResize(NerlaHandle channel, int32_t layer, int32_t left,
                                                  int32_t top, int32_t right, int32_t bottom);
NERLA_API void* NERLA_CALL Nerla_RGB32ConvertCreate(int32_t pixelFormat, int32_t width,
                                                    int32_t height);
NERLA_API const void* NERLA_CALL Nerla_RGB32Convert(void* converter, const void* source,
                                                    int32_t flag);
NERLA_API int32_t NERLA_CALL Nerla_RGB32ConvertClose(void* converter);
NERLA_API NerlaBitmap* NERLA_CALL Nerla_RGB32ToHBitmap(const void* pixels, int32_t width,
                                                       int32_t height);

/* ---- DVD -------------------------------------------------------------- */

NERLA_API int32_t NERLA_CALL Nerla_DVDChannelMenu(NerlaHandle channel, int32_t command,
                                                  int32_t argument1, int32_t argument2);
NERLA_API int32_t NERLA_CALL Nerla_DVDGetProperty(NerlaHandle channel, int32_t property,
                                                  int32_t argument);
NERLA_API int32_t NERLA_CALL Nerla_DVDSetProperty(NerlaHandle channel, int32_t property,
                                                  int32_t value);

/* ---- Capture devices -------------------------------------------------- */

NERLA_API int32_t NERLA_CALL Nerla_CaptureGetDevices(uint32_t deviceClass, NerlaDeviceProc callback,
                                                     uint32_t encoding, void* user);
NERLA_API int32_t NERLA_CALL Nerla_CaptureDeviceProfiles(int32_t device, uint32_t deviceClass,
                                                         NerlaProfileProc callback,
                                                         uint32_t encoding, void* user);
NERLA_API int32_t NERLA_CALL Nerla_CameraControlGetRange(NerlaHandle channel, int32_t property,
                                                         int32_t* range /* five ints */);
NERLA_API int32_t NERLA_CALL Nerla_CameraControlGetProp(NerlaHandle channel, int32_t property);
NERLA_API int32_t NERLA_CALL Nerla_CameraControlSetProp(NerlaHandle channel, int32_t property,
                                                        int32_t value, int32_t flags);

/* ---- Plug-ins --------------------------------------------------------- */

NERLA_API uint32_t NERLA_CALL Nerla_LoadPlugin(const void* path, uint32_t encoding);
NERLA_API uint32_t NERLA_CALL Nerla_LoadPluginDS(const void* path, const void* clsid,
                                                 const char16_t* filterName, uint32_t encoding);
NERLA_API const void* NERLA_CALL Nerla_PluginGetInfo(uint32_t plugin);
NERLA_API int32_t NERLA_CALL Nerla_RemovePlugin(uint32_t plugin);

/* ---- Encoders --------------------------------------------------------- */

NERLA_API int32_t NERLA_CALL Nerla_GetAudioEncoders(NerlaDeviceProc callback, uint32_t encoding,
                                                    void* user);
NERLA_API int32_t NERLA_CALL Nerla_GetVideoEncoders(NerlaDeviceProc callback, uint32_t encoding,
                                                    void* user);
NERLA_API void* NERLA_CALL Nerla_WAVEncoderCreate(const void* path, int32_t channels,
                                                  int32_t bitsPerSample, int32_t sampleRate,
                                                  uint32_t encoding);
NERLA_API int32_t NERLA_CALL Nerla_WavEncoderWrite(void* encoder, const void* data, int32_t bytes);
NERLA_API int32_t NERLA_CALL Nerla_WavEncoderClose(void* encoder);

/* ---- Virtual camera feed ---------------------------------------------- */

NERLA_API int32_t NERLA_CALL VideoCap_GetWidth(void);
NERLA_API int32_t NERLA_CALL VideoCap_GetHeight(void);
NERLA_API int32_t NERLA_CALL VideoCap_SetUserDraw(int32_t flag);
NERLA_API int32_t NERLA_CALL VideoCap_PushVideoData(const void* pixels, int32_t width,
                                                    int32_t height, int32_t flip);

/* ---- Utilities -------------------------------------------------------- */

NERLA_API int32_t NERLA_CALL Nerla_GetMonitorsCount(void);
NERLA_API int32_t NERLA_CALL Nerla_GetMonitorRect(int32_t monitor, NerlaRect* rect);
NERLA_API void* NERLA_CALL Nerla_AllocMem(uint32_t bytes);
NERLA_API int32_t NERLA_CALL Nerla_FreeMem(void* block);
NERLA_API int32_t NERLA_CALL Nerla_Int2Float(const void* source, float* destination, uint32_t count,
                                             int32_t bytesPerSample);
NERLA_API int32_t NERLA_CALL Nerla_Float2Int(const float* source, void* destination, uint32_t count,
                                             int32_t bytesPerSample);
NERLA_API int32_t NERLA_CALL Nerla_GetGPSLocation(double* longitudeLatitude);
NERLA_API void* NERLA_CALL Nerla_CreateDecoder(uint32_t a, uint32_t b);

/* ---- Engine extension: message hook ------------------------------------
 * Error boxes of the engine ("Error!" with the platform's text) and the
 * shader compiler's log go through this hook. Without a hook (null), the
 * text goes to the GStreamer log (category nerla). The hook may be called
 * from any engine thread. */
typedef void(NERLA_CALL* NerlaMessageProc)(const char* caption, const char* text, void* user);
NERLA_API void NERLA_CALL Nerla_SetMessageHook(NerlaMessageProc hook, void* user);

#ifdef __cplusplus
}
#endif

#endif /* NERLA_H */
