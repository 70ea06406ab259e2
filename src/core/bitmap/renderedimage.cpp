#include "core/bitmap/renderedimage.h"

#include "core/bitmap/pngimage.h"
#include "core/bitmap/targaimage.h"

namespace {

RenderedImageResult Failure(std::string error) {
    RenderedImageResult result;
    result.error = std::move(error);
    return result;
}

} // namespace

RenderedImageResult DecodeRenderedImage(std::span<const std::uint8_t> file, int width, int height) {
    if (file.empty())
        return Failure("The rendered image is empty.");

    // Nothing larger than the expected picture is ever allocated: a bigger one is refused from
    // its header as having the wrong size.
    const std::uint64_t expectedPixels =
        width > 0 && height > 0 ? std::uint64_t(width) * std::uint64_t(height) : 0;
    DecodedImage image;
    ImageDecodeStatus status = DecodePngImage(file, image, expectedPixels);
    if (status == ImageDecodeStatus::NotThisFormat)
        status = DecodeTargaImage(file, image, expectedPixels);

    switch (status) {
    case ImageDecodeStatus::NotThisFormat:
        return Failure("The rendered image is neither a Targa nor a PNG file.");
    case ImageDecodeStatus::Unsupported:
        return Failure("The rendered image has an unsupported format.");
    default:
        break;
    }
    // The decoders report the size as soon as the header has been accepted, so a picture of the
    // wrong size says so even when its pixels are cut short or damaged as well.
    if (image.width > 0 && (image.width != width || image.height != height))
        return Failure("The rendered image is " + std::to_string(image.width) + " x " +
                       std::to_string(image.height) + " pixels instead of " +
                       std::to_string(width) + " x " + std::to_string(height) + ".");
    switch (status) {
    case ImageDecodeStatus::Ok:
        break;
    case ImageDecodeStatus::Incomplete:
        return Failure("The rendered image is incomplete.");
    default:
        // Damaged, or TooLarge, which cannot happen once the size matched.
        return Failure("The rendered image is damaged.");
    }
    RenderedImageResult result;
    result.ok = true;
    result.image = std::move(image);
    return result;
}
