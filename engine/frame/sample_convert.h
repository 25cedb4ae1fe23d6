// PCM conversions between integer samples of 1..4 bytes and 32-bit floats.
#pragma once

#include <cstdint>

namespace nerla {

using Int2FloatFn = void (*)(const void* source, float* destination, uint32_t count, int bytes);
using Float2IntFn = void (*)(const float* source, void* destination, uint32_t count, int bytes);

// The plain routines: their values define the conversions.
void int2FloatReference(const void* source, float* destination, uint32_t count, int bytes);
void float2IntReference(const float* source, void* destination, uint32_t count, int bytes);

// SSE2 routines: within one unit of the plain ones.
void int2FloatSse2(const void* source, float* destination, uint32_t count, int bytes);
void float2IntSse2(const float* source, void* destination, uint32_t count, int bytes);

enum class ConversionRoutine { Plain = 1, Sse2 = 2 };

// The routine picked for this processor (chosen once by Nerla_Init).
ConversionRoutine detectConversionRoutine();
void selectConversionRoutine(ConversionRoutine routine);
ConversionRoutine selectedConversionRoutine();

// Dispatch through the selected routine.
void int2Float(const void* source, float* destination, uint32_t count, int bytes);
void float2Int(const float* source, void* destination, uint32_t count, int bytes);

}  // namespace nerla
