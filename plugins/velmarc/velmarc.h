/*
 * Plugins/Velmarc.so, the suite's decoder plug-in: the functions the player
 * calls directly. The engine loads the same file as a filter-class container
 * through its "NerlaPlugin" export.
 */
#ifndef VELMARC_H
#define VELMARC_H

#include <stdint.h>

#include "nerla.h"

#ifdef __cplusplus
extern "C" {
#endif

#define VELMARC_API __attribute__((visibility("default")))

/* Hardware decoder families. */
#define VELMARC_DECODER_SOFTWARE 0
#define VELMARC_DECODER_CUDA 1      /* NVIDIA decoders (nvcodec) */
#define VELMARC_DECODER_VAAPI 2     /* VA-API decoders (va, vaapi) */
#define VELMARC_DECODER_QUICKSYNC 3 /* Intel Quick Sync decoders (qsv, msdk) */

/* Non-zero when a decoder of that family exists and opens on this machine. */
VELMARC_API int32_t NERLA_CALL Nerla_CheckHardwareDecoder(int32_t decoder);

/*
 * Channels created from now on decode with that family where it can;
 * VELMARC_DECODER_SOFTWARE returns to the software decoders. Non-zero when
 * the choice was taken.
 */
VELMARC_API int32_t NERLA_CALL Nerla_EnableHardwareDecoder(int32_t decoder);

/* Audio mixing options. */
#define VELMARC_AUDIO_MIXING 1 /* value: 0 off, non-zero on */
#define VELMARC_AUDIO_MATRIX 2 /* value: 0 none, 1 Dolby Surround, 2 Dolby Pro Logic II */
#define VELMARC_AUDIO_LAYOUT 3 /* value: speaker layout, 0 "Mono" .. 11 "Stereo Downmix" */

/* Sets one option for the audio elements; non-zero when the value was taken. */
VELMARC_API int32_t NERLA_CALL Nerla_AUDIODEC_SetConfig(int32_t option, int32_t value);

#ifdef __cplusplus
}
#endif

#endif /* VELMARC_H */
