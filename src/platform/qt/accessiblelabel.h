// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QAccessibleInterface;
class QObject;
class QString;

// Lets screen readers read a caption label: its accessible name, then its caption.
QAccessibleInterface* captionLabelAccessible(const QString& className, QObject* object);
