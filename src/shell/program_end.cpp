#include "shell/program_end.h"

#include "app/program.h"
#include "platform/tcp_socket.h"
#include "shell/form1.h"
#include "shell/forms.h"
#include "ui/session.h"

#include <cstdio>
#include <cstdlib>

namespace shell {

namespace {
// The longest the end waits for the alarm server to take the last messages.
constexpr int kLastMessagesWaitMs = 2000;
} // namespace

void installProgramEnd() {
    // Ending the program is immediate, even from inside a wait that lets events run.
    app::setEndAction([] {
        platform::TcpSocket::deliverBeforeTheEnd(kLastMessagesWaitMs);
        std::fflush(nullptr);
        std::_Exit(0);
    });
    ui::endSessionOnSignals([] { form1().endSession(); });
}

} // namespace shell
