// TSharedImage: the file-level data of an image object, shared by reference between
// copies of the object. The last holder frees it; an object about to put new data in
// first detaches to a fresh, empty holder, so other holders keep what they had.
#pragma once

#include <memory>

namespace pictorand {

template <class TData>
class TSharedImage {
public:
    TSharedImage() : data_(std::make_shared<TData>()) {}

    const TData& Data() const { return *data_; }
    // Write access; call Detach first unless the data was made by this holder alone.
    TData& MutableData() { return *data_; }

    void Detach() { data_ = std::make_shared<TData>(); }
    void ShareWith(const TSharedImage& other) { data_ = other.data_; }
    bool SharesWith(const TSharedImage& other) const { return data_ == other.data_; }
    long Holders() const { return data_.use_count(); }

private:
    std::shared_ptr<TData> data_;
};

}  // namespace pictorand
