// OutputFormat: a format the run can write, standing for its descriptor.
#pragma once

#include "formats/common/format_descriptor.h"

namespace pictorand {

class OutputFormat {
public:
    constexpr explicit OutputFormat(const TFormatDescriptor& descriptor) : descriptor_(&descriptor) {}

    constexpr const TFormatDescriptor& Descriptor() const { return *descriptor_; }
    constexpr const TFormatDescriptor* operator->() const { return descriptor_; }

    friend constexpr bool operator==(const OutputFormat&, const OutputFormat&) = default;

private:
    const TFormatDescriptor* descriptor_;
};

}  // namespace pictorand
