/*
 * Nerla media engine: what a plug-in library loaded with Nerla_LoadPlugin
 * exports and answers.
 *
 * The library exports one function, "NerlaPlugin" (NerlaPluginProc), which the
 * engine calls with a query number:
 *   0: the address of the plug-in's description record; it starts with a
 *      NerlaPluginHeader, whose kind is non-zero for an engine plug-in and 0
 *      for a splitter plug-in. The rest of the record is the plug-in's own.
 *   1, 3 (engine plug-ins): two non-null values that the engine keeps.
 *   2 (splitter plug-ins): the build function (NerlaSplitterBuildProc).
 *   3 (splitter plug-ins): the accept function (NerlaSplitterAcceptProc).
 *   4 (filter-class containers): the address of a NerlaClassTable.
 * A query the plug-in does not answer returns 0.
 */
#ifndef NERLA_PLUGIN_H
#define NERLA_PLUGIN_H

#include "nerla.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct _GstPipeline GstPipeline;
typedef struct _GstElement GstElement;
typedef struct _GstElementFactory GstElementFactory;

#define NERLA_PLUGIN_EXPORT "NerlaPlugin"

typedef uintptr_t(NERLA_CALL* NerlaPluginProc)(uint32_t query);

typedef struct NerlaPluginHeader {
    uint32_t size; /* of the whole record, in bytes */
    uint32_t kind; /* non-zero: engine plug-in; 0: splitter plug-in */
} NerlaPluginHeader;

/* Non-zero when the plug-in wants to handle the medium at `path`. */
typedef int32_t(NERLA_CALL* NerlaSplitterAcceptProc)(const char16_t* path);

/*
 * Builds the channel's graph for `path` from `source` (a "filesrc", or for a
 * URL the URI source, already in `pipeline` under the name "Source Filter").
 * The plug-in adds and links its elements; every source pad it leaves
 * unlinked (now or later, on a sometimes pad) is rendered by the engine like
 * a demuxer's output. Returns non-zero when it has built the graph.
 */
typedef int32_t(NERLA_CALL* NerlaSplitterBuildProc)(const char16_t* path, GstPipeline* pipeline,
                                                    GstElement* source);

/*
 * The class-object function of a filter-class container: answers the element
 * factory of the class `clsid` (a new reference in *factory) with 0, or a
 * negative error code (an HRESULT) when it has none.
 */
typedef int32_t(NERLA_CALL* NerlaClassObjectProc)(const NerlaGUID* clsid,
                                                  GstElementFactory** factory);

typedef struct NerlaClassEntry {
    NerlaGUID clsid;
    const char16_t* name; /* may be null */
} NerlaClassEntry;

typedef struct NerlaClassTable {
    NerlaClassObjectProc classObject;
    const NerlaClassEntry* entries;
    uint32_t count;
} NerlaClassTable;

/*
 * The GUID of an element factory: a name-based (version 5, SHA-1) UUID of the
 * factory's name in the namespace NERLA_FACTORY_GUID_NAMESPACE, stored with
 * Data1..Data3 in host byte order as the fields of NerlaGUID.
 */
#define NERLA_FACTORY_GUID_NAMESPACE "{6f0b8a52-3d1e-5c47-9a0e-4e65726c6101}"

#ifdef __cplusplus
}
#endif

#endif /* NERLA_PLUGIN_H */
