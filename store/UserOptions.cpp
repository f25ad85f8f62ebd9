#include "store/UserOptions.h"

#include "platform/fs/RtError.h"
#include "platform/profile/Profile.h"

namespace qm::store {

std::string& UserOptionsRecord::field(int number)
{
    if (number < 0 || number >= FieldCount)
        throw qm::RtError(9, "Subscript out of range: user option " + std::to_string(number));
    return this->*UserOptionKeys[static_cast<std::size_t>(number)].member;
}

const std::string& UserOptionsRecord::field(int number) const
{
    return const_cast<UserOptionsRecord*>(this)->field(number);
}

std::string userOptionsText(const UserOptionsRecord& rec)
{
    std::string out;
    out.append("[").append(UserOptionsSection).append("]\r\n");
    for (const UserOptionKey& k : UserOptionKeys)
        out.append(k.key).append("=").append(qm::profile::storedValue(rec.*k.member)).append("\r\n");
    return out;
}

UserOptionsRecord userOptionsFromDocument(const qm::profile::IniDocument& doc)
{
    UserOptionsRecord rec;
    for (const UserOptionKey& k : UserOptionKeys)
        rec.*k.member = qm::profile::getString(doc, UserOptionsLoadSection, k.key, "");
    return rec;
}

} // namespace qm::store
