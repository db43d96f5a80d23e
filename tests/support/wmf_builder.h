// Builds metafiles record by record for tests.
#pragma once

#include <cstdint>
#include <vector>

namespace pictorand::testing {

class TWmfBuilder {
public:
    TWmfBuilder& Record(std::uint16_t function, std::vector<std::int16_t> params) {
        U32(static_cast<std::uint32_t>(3 + params.size()));
        U16(function);
        for (std::int16_t p : params) U16(static_cast<std::uint16_t>(p));
        return *this;
    }
    TWmfBuilder& Raw(std::vector<std::uint8_t> bytes) {
        records_.insert(records_.end(), bytes.begin(), bytes.end());
        return *this;
    }
    std::vector<std::uint8_t> Placeable(std::int16_t right, std::int16_t bottom, std::uint16_t inch) const {
        std::vector<std::uint8_t> out = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0};
        for (std::uint16_t v : {static_cast<std::uint16_t>(right), static_cast<std::uint16_t>(bottom), inch, std::uint16_t{0}, std::uint16_t{0}, std::uint16_t{0}}) {
            out.push_back(static_cast<std::uint8_t>(v));
            out.push_back(static_cast<std::uint8_t>(v >> 8));
        }
        auto plain = Plain();
        out.insert(out.end(), plain.begin(), plain.end());
        return out;
    }
    std::vector<std::uint8_t> Plain() const {
        std::vector<std::uint8_t> out = {1, 0, 9, 0, 0, 3, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0};
        out.insert(out.end(), records_.begin(), records_.end());
        return out;
    }

private:
    void U16(std::uint16_t v) {
        records_.push_back(static_cast<std::uint8_t>(v));
        records_.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void U32(std::uint32_t v) {
        U16(static_cast<std::uint16_t>(v));
        U16(static_cast<std::uint16_t>(v >> 16));
    }
    std::vector<std::uint8_t> records_;
};

}  // namespace pictorand::testing
