#pragma once
// What the settings editor reads of the program's link state.
#include "setka/editor/system_variant.h"

namespace livna::setka {

/// The part of the program-wide link context the editor reads and sets.
struct LinkContext {
    SystemVariant chosenVariant = SystemVariant::Kvm1;  ///< the main window's radio button
    bool demoMode = false;
    int configByte = 0;
    int versionCode = 0;  ///< the current VersionCode
    /// The version code was matched for the open editor: set by the version check when the
    /// panel's major number is the chosen variant, and by an image shown from that panel;
    /// cleared when an editor opens, so that a code left by an earlier editor picks nothing.
    bool versionMatched = false;
};

/// The variant ApplyImage, GatherImage and GatherCodes work in: the chosen one in demo mode;
/// on-line the major number of a matched version code when it names a variant, else the
/// chosen one.
constexpr SystemVariant editorVariant(const LinkContext& context) {
    if (!context.demoMode && context.versionMatched) {
        if (auto v = variantOfMajor(majorNumber(context.versionCode))) return *v;
    }
    return context.chosenVariant;
}

/// Value 1 of the images the editor builds: the matched version code on-line, otherwise the
/// demo code of the editor's variant (18, 33 or 53).
constexpr int imageVersionCode(const LinkContext& context) {
    if (!context.demoMode && context.versionMatched && variantOfMajor(majorNumber(context.versionCode)))
        return context.versionCode;
    return demoVersionCode(editorVariant(context));
}

}  // namespace livna::setka
