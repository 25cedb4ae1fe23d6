// A registered filter class: something that can answer an element factory.
#pragma once

#include <gst/gst.h>

#include <memory>
#include <optional>
#include <string>

#include "frame/gst_ptr.h"
#include "frame/shared_library.h"
#include "nerla_plugin.h"

namespace nerla {

class FilterClass {
  public:
    FilterClass(uint32_t id, const NerlaGUID& clsid, std::optional<std::u16string> name)
        : id_(id), clsid_(clsid), name_(std::move(name)) {}
    virtual ~FilterClass() = default;

    uint32_t id() const { return id_; }
    const NerlaGUID& clsid() const { return clsid_; }
    const std::optional<std::u16string>& name() const { return name_; }

    // The class's factory; null with the error code when it has none.
    virtual GstPtr<GstElementFactory> factory(int32_t& error) const = 0;

  private:
    uint32_t id_;
    NerlaGUID clsid_;
    std::optional<std::u16string> name_;
};

// A class of a container library, answered by its class-object function.
class ContainerClass : public FilterClass {
  public:
    ContainerClass(uint32_t id, const NerlaGUID& clsid, std::optional<std::u16string> name,
                   std::shared_ptr<SharedLibrary> library, NerlaClassObjectProc classObject)
        : FilterClass(id, clsid, std::move(name)),
          library_(std::move(library)),
          classObject_(classObject) {}

    GstPtr<GstElementFactory> factory(int32_t& error) const override;

  private:
    std::shared_ptr<SharedLibrary> library_;
    NerlaClassObjectProc classObject_;
};

// An element factory of a GStreamer plugin file.
class GstFactoryClass : public FilterClass {
  public:
    GstFactoryClass(uint32_t id, const NerlaGUID& clsid, std::optional<std::u16string> name,
                    std::string factoryName)
        : FilterClass(id, clsid, std::move(name)), factoryName_(std::move(factoryName)) {}

    GstPtr<GstElementFactory> factory(int32_t& error) const override;

  private:
    std::string factoryName_;
};

}  // namespace nerla
