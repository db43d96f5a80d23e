// The image resources of a Photoshop file: "8BIM", an id, a padded name and a sized,
// padded block of data each.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace pictorand {

// The resource section of a Photoshop file (after the header and the colour mode data),
// or an empty span when the file is too short to hold one.
std::span<const std::uint8_t> PsdResourceSection(std::span<const std::uint8_t> file);

// Calls visit with each resource's id, its data and the whole resource, in file order,
// until visit answers false or a resource runs past the section's end.
void ForEachPsdResource(std::span<const std::uint8_t> resources,
                        const std::function<bool(std::uint16_t id, std::span<const std::uint8_t> data,
                                                 std::span<const std::uint8_t> whole)>& visit);

}  // namespace pictorand
