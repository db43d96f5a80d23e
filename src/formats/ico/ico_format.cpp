#include "formats/ico/ico_format.h"

#include "formats/ico/linar_bitmap.h"

namespace pictorand {

namespace {

// The "ico" ending selects the icon writer.
void Encode(TStream& stream, const TBitmap& raster, const TWriteOptions&) {
    TLinarBitmap icon;
    icon.AssignFromBitmap(raster);
    icon.SaveToStream(stream, "ico");
}

}  // namespace

const TFormatDescriptor IcoFormat{
    .Name = "ico",
    .Title = "ICO",
    .Encode = Encode,
    .Carries = {.Alpha = true},
    .Icon = true,
    .Classic = true,
    .Dialog = {"ICO", "RadioButtonFICO", 2, 1},
};

}  // namespace pictorand
