#include "convert/DescriptionTable.h"

#include "store/DataImage.h"

namespace qdv {

bool DescriptionTable::LoadDau(const QByteArray& fileText) {
    if (fileText.size() != kFileSize)
        return false;
    ReadImage(image::Decode(fileText, kImageSize));
    return true;
}

} // namespace qdv
