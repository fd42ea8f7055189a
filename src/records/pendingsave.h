// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/recordstore.h"

#include <functional>
#include <string_view>

// A save the shared record could not take in time, kept in the player's own folder until
// the next use of the shared record hands it on, so that a held record loses nothing.
class PendingSave {
public:
    using Send = std::function<SaveOutcome(std::string_view score, std::string_view name)>;

    virtual ~PendingSave() = default;
    // Keeps score and name, unless a save kept before has a score as good or better.
    virtual void keep(std::string_view score, std::string_view name) = 0;
    // Under the pending save's own lock: hands a kept save to send, then forgets it unless
    // send answers Held. With nothing kept, send is not called.
    virtual void sendWith(const Send& send) = 0;
};
