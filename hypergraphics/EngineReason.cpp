#include "hypergraphics/EngineReason.h"

#include "common/PathQuoting.h"

#include <cctype>

namespace vd {

std::string EngineReason(std::string strDescription, const std::string& strDatabase) {
    while (!strDescription.empty() &&
           (strDescription.back() == '.' ||
            std::isspace(static_cast<unsigned char>(strDescription.back())) != 0)) {
        strDescription.pop_back();
    }
    const std::string strQuoted = QuotePath(strDatabase);
    bool bOwnSentence = true;
    if (!strDatabase.empty()) {
        // "Cannot open the project database 'P': why" gives "why".
        const std::size_t nLead = strDescription.find(strQuoted + ": ");
        if (nLead != std::string::npos) {
            strDescription.erase(0, nLead + strQuoted.size() + 2);
            bOwnSentence = false;
        }
        for (const std::string& strMention :
             {" (project database " + strQuoted + ")", " in " + strQuoted, " of " + strQuoted,
              " " + strQuoted}) {
            for (std::size_t n; (n = strDescription.find(strMention)) != std::string::npos;) {
                strDescription.erase(n, strMention.size());
            }
        }
    }
    if (bOwnSentence && strDescription.size() >= 2 &&
        std::isupper(static_cast<unsigned char>(strDescription[0])) != 0 &&
        std::islower(static_cast<unsigned char>(strDescription[1])) != 0) {
        strDescription[0] =
            static_cast<char>(std::tolower(static_cast<unsigned char>(strDescription[0])));
    }
    return strDescription;
}

}  // namespace vd
