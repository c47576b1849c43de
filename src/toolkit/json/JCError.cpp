#include <toolkit/json/JCError.hpp>

namespace toolkit::json {

base::Ref<base::Dictionary> JCError::userInfo() const {
    auto info = base::Dictionary::create();
    info->setObject(NSLocalizedDescriptionKey, localizedDescription);
    if (atIndex)
        info->setObject(JCAtIndexKey, *atIndex);
    if (lineNumber)
        info->setObject(JCLineNumberKey, *lineNumber);
    return info;
}

}
