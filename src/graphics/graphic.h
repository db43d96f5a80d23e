// TGraphic: the common interface of every image-file object (bitmaps, metafiles,
// readers and writers): loading and saving, size, assignment and drawing.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/stream.h"

namespace pictorand {

class TBitmap;

enum class TProgressStage { Starting, Running, Ending };
using TProgressEvent = std::function<void(TProgressStage stage, int percentDone, std::string_view message)>;

class TGraphic {
public:
    virtual ~TGraphic() = default;

    virtual std::string_view ClassName() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual bool Empty() const = 0;

    virtual void LoadFromStream(TStream& stream) = 0;
    virtual void SaveToStream(TStream& stream) = 0;
    void LoadFromFile(const std::string& path);
    // Writes to a temporary file beside the target and renames it into place, so a failed
    // save never destroys an existing file.
    void SaveToFile(const std::string& path);

    // Copies source into this object. The base asks source to assign itself to this
    // object; classes that know the source type override it.
    virtual void Assign(const TGraphic& source);
    // Copies this object into dest; the base refuses with "Cannot assign a %s to a %s".
    virtual void AssignTo(TGraphic& dest) const;

    // Gives the picture to dest as Assign would, leaving this object free to drop its
    // pixels; readers that hold a decoded bitmap hand it over without a copy.
    virtual void ReleaseTo(TBitmap& dest);

    // Draws the picture with its top-left corner at (x, y) onto the canvas bitmap.
    virtual void Draw(TBitmap& canvas, int x, int y) const;

    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool transparent) { transparent_ = transparent; }

    TProgressEvent OnProgress;
    // What a user should know of the picture although it was read (a file that ends early).
    // An object that decodes lazily adds to it when it decodes, also in a const call.
    mutable std::vector<std::string> Warnings;

protected:
    TGraphic() = default;
    TGraphic(const TGraphic&) = default;
    TGraphic& operator=(const TGraphic&) = default;

    void Progress(TProgressStage stage, int percentDone, std::string_view message) const {
        if (OnProgress) OnProgress(stage, percentDone, message);
    }
    [[noreturn]] void RefuseAssign(const TGraphic& source, const TGraphic& dest) const;

private:
    bool transparent_ = false;
};

}  // namespace pictorand
