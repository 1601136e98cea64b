// The two small codes that describe a bitmap: the kind passed to DibCreate, and the type of
// the samples a bitmap holds (shared by the TIFF, display and camera code).
#pragma once

// Argument of DibCreate: depth and colour table of a new bitmap.
enum DibCreateKind : int {
    DIB_KIND_GREY8 = 0,  // 8 bits, grey ramp table
    DIB_KIND_RGB24 = 1,  // 24 bits, blue/green/red bytes
    DIB_KIND_CUBE8 = 2,  // 8 bits, 6 x 6 x 6 colour cube in entries 0..215
    DIB_KIND_GREY16 = 3, // 16 bits, one little-endian grey sample
    DIB_KIND_RGB48 = 4,  // 48 bits, blue/green/red 16-bit samples
};

// The type of the samples a bitmap holds, beyond its bit count.
enum ImageTypeCode : int {
    IMAGE_TYPE_UNSUPPORTED = -1,
    IMAGE_TYPE_GREY8 = 0,
    IMAGE_TYPE_PALETTE8 = 1,
    IMAGE_TYPE_RGB24 = 3,
    IMAGE_TYPE_GREY10 = 4,
    IMAGE_TYPE_GREY12 = 5,
    IMAGE_TYPE_GREY16 = 6,
    IMAGE_TYPE_RGB30 = 7, // 3 x 10 bits
    IMAGE_TYPE_RGB36 = 8, // 3 x 12 bits
    IMAGE_TYPE_RGB48 = 9, // 3 x 16 bits
    IMAGE_TYPE_PALETTE10 = 10,
    IMAGE_TYPE_PALETTE12 = 11,
    IMAGE_TYPE_PALETTE16 = 12, // what the TIFF reader reports for a 16-bit palette file
};

// Largest sample value of a type code: 1023, 4095 or 65535 for the 10-, 12- and 16-bit grey and
// colour codes, 255 for every other code.
constexpr int ImageTypeFullScale(int code) {
    switch (code) {
    case IMAGE_TYPE_GREY10:
    case IMAGE_TYPE_RGB30:
        return 1023;
    case IMAGE_TYPE_GREY12:
    case IMAGE_TYPE_RGB36:
        return 4095;
    case IMAGE_TYPE_GREY16:
    case IMAGE_TYPE_RGB48:
        return 65535;
    default:
        return 255;
    }
}

// Number of sample values a type code distinguishes (the size of its mapping tables): 1024, 4096
// or 65536 for the 10-, 12- and 16-bit grey, colour and palette codes, 256 for every other code.
constexpr int ImageTypeLevels(int code) {
    switch (code) {
    case IMAGE_TYPE_GREY10:
    case IMAGE_TYPE_RGB30:
    case IMAGE_TYPE_PALETTE10:
        return 1024;
    case IMAGE_TYPE_GREY12:
    case IMAGE_TYPE_RGB36:
    case IMAGE_TYPE_PALETTE12:
        return 4096;
    case IMAGE_TYPE_GREY16:
    case IMAGE_TYPE_RGB48:
    case IMAGE_TYPE_PALETTE16:
        return 65536;
    default:
        return 256;
    }
}

// Bit count of the bitmap that holds samples of a type code; 0 for unsupported codes.
constexpr int ImageTypeBitCount(int code) {
    switch (code) {
    case IMAGE_TYPE_GREY8:
    case IMAGE_TYPE_PALETTE8:
        return 8;
    case IMAGE_TYPE_RGB24:
        return 24;
    case IMAGE_TYPE_GREY10:
    case IMAGE_TYPE_GREY12:
    case IMAGE_TYPE_GREY16:
    case IMAGE_TYPE_PALETTE10:
    case IMAGE_TYPE_PALETTE12:
    case IMAGE_TYPE_PALETTE16:
        return 16;
    case IMAGE_TYPE_RGB30:
    case IMAGE_TYPE_RGB36:
    case IMAGE_TYPE_RGB48:
        return 48;
    default:
        return 0;
    }
}
