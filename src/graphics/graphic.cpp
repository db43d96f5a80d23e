#include "graphics/graphic.h"

#include "graphics/bitmap.h"
#include "graphics/exceptions.h"
#include "graphics/file_stream.h"

namespace pictorand {

void TGraphic::LoadFromFile(const std::string& path) {
    TFileStream stream(path, TFileMode::OpenRead);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& path) {
    WriteFileReplacing(path, [this](TStream& stream) { SaveToStream(stream); });
}

void TGraphic::Assign(const TGraphic& source) { source.AssignTo(*this); }

void TGraphic::AssignTo(TGraphic& dest) const { RefuseAssign(*this, dest); }

void TGraphic::RefuseAssign(const TGraphic& source, const TGraphic& dest) const {
    const std::string text = FormatMessage(FormatMessage(runtime_texts::AssignError, source.ClassName()), dest.ClassName());
    throw EConvertError(text);
}

void TGraphic::ReleaseTo(TBitmap& dest) { dest.Assign(*this); }

void TGraphic::Draw(TBitmap& canvas, int x, int y) const {
    TBitmap picture;
    picture.Assign(*this);
    picture.SetTransparent(Transparent());
    canvas.Draw(x, y, picture);
}

}  // namespace pictorand
