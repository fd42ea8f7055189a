// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QAccessibleInterface;
class QObject;
class QString;

// Lets screen readers read a caption label by the name the game gave it.
QAccessibleInterface* captionLabelAccessible(const QString& className, QObject* object);
