#pragma once

#include "items/LayoutDialog.h"

// The version information box: the product's name, its version and what it is.
class AboutBox final : public LayoutDialogOwner {
public:
    // Shows the box modally until the user closes it.
    static void Show();

    // LayoutDialogOwner
    void DialogOpened(Canvas& canvas) override;
    bool DialogEvent(Canvas& canvas, const ItemEvent& event) override;
};
