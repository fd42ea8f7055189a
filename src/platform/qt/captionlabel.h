// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <optional>
#include <string>
#include <string_view>

struct ControlLayout;

// A label of the game window. Its caption is plain text (no access keys, no markup); a
// CR LF starts a new line. A fitting label takes the size of its caption whenever the
// caption changes, from a fixed top-left corner; the others wrap at word boundaries and
// clip at their edges. A transparent label lets the painted window show through.
class CaptionLabel : public QWidget {
    Q_OBJECT

public:
    CaptionLabel(const ControlLayout& entry, QWidget* parent);

    const std::string& caption() const { return caption_; }
    void setCaption(std::string_view caption);
    QString displayText() const { return text_; }
    // What a screen reader reads of it, as the game composes it.
    const std::string& spokenName() const { return spokenName_; }
    void setSpokenName(std::string_view name) { spokenName_ = name; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect textRect() const;
    void fitToCaption();

    std::string caption_;
    std::string spokenName_;
    QString text_;
    bool fits_;
    bool framed_;
    Qt::Alignment alignment_;
    std::optional<QColor> backColor_;
    std::optional<QColor> textColor_;
};
