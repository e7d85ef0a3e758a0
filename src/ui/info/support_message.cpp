#include "ui/info/support_message.h"

#include "platform/controls/message_box.h"
#include "ui/main/form1.h"

namespace info {

std::string SupportMessageText() {
    const std::string line1 = std::string("Please visit ") + kSupportWebPage +
                              " to see the FAQ or known problems with the fixes. ";
    const std::string line2 = std::string("If you are still getting errors, email me at ") +
                              kSupportEmail +
                              ". Please make the subject of your email 'SUPPORT NEEDED'. Thankyou!";
    return line1 + "\r\n" + line2;
}

}  // namespace info

void Form1::mnuSupport_Click() {
    // Modal, without an owner; returns when the user has closed it.
    controls::ShowMessage(nullptr, controls::MessageIcon::Information, "Support",
                          info::SupportMessageText());
}
