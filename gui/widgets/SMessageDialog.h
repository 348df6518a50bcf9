// The toolkit's message box: a title line, a message of one or more lines
// and an "OK" button, sized to its text. It brings its own shared
// resources, cursor and fonts.
#pragma once

#include <memory>

#include "gui/widgets/SDialog.h"

namespace kvor::gui {

namespace context {
class SDrawFont;
}

class SCursor;
template <bool B> class SLabel;
template <bool B> class SButton;

class SMessageDialog : public SDialog {
public:
    // Made hidden, 320 x 240 at (0, 0) on the display in use, with its
    // labels and button.
    SMessageDialog();
    ~SMessageDialog() override;

    // Lays the box out for the texts, then shows and raises it.
    virtual void ShowMessage(const char* text, const char* title);
    // Lays the box out for the texts without showing it.
    virtual void SetMessage(const char* text, const char* title);
    // Lays out and shows the box, then runs the modal loop.
    virtual void ShowModal(const char* text, const char* title);
    using SDialog::ShowModal;

    // Closes the box when its OK button reports a press.
    void ParseEvent(SEvent* event) override;

    SLabel<false>* TitleLabel() const { return titleLabel; }
    SLabel<false>* MessageLabel() const { return messageLabel; }
    SButton<false>* OkButton() const { return okButton; }
    const Text& MessageText() const { return messageText; }
    const Text& TitleText() const { return titleText; }
    context::SDrawFont* TitleFont() const { return titleFont; }
    context::SDrawFont* MessageFont() const { return messageFont; }

    // The size of a message's text block in the message font: the widest
    // line and the sum of the line heights, an empty line as high as the
    // one before it (or as "W").
    struct Extent {
        int width;
        int height;
    };
    Extent MeasureMessage(const char* text) const;

private:
    void MakeLabels();
    void MakeButton();
    void LayOut(const char* text, const char* title);

    context::SDrawFont* titleFont = nullptr;
    SGlobals* ownGlobals = nullptr;
    std::shared_ptr<SCursor> cursor;
    SLabel<false>* titleLabel = nullptr;
    SLabel<false>* messageLabel = nullptr;
    SButton<false>* okButton = nullptr;
    Text messageText;
    Text titleText;
    context::SDrawFont* messageFont = nullptr;
};

}  // namespace kvor::gui
