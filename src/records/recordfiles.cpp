#include "records/recordfiles.h"

#include "game/numericvalue.h"
#include "platform/textfile.h"
#include "records/textcodec.h"

namespace records {

std::string withFinalSeparator(std::string directory)
{
    if (directory.empty() || directory.back() != separator) directory += separator;
    return directory;
}

std::string scoreFile(const std::string& recordDir)
{
    return recordDir + separator + std::string(scoreFileName);
}

std::string nameFile(const std::string& recordDir)
{
    return recordDir + separator + std::string(nameFileName);
}

void createMissingFiles(const std::string& recordDir)
{
    createIfMissing(scoreFile(recordDir));
    createIfMissing(nameFile(recordDir));
}

std::string Leggifiletxt(const std::string& nomefile)
{
    return recordTextToUtf8(readWholeFile(nomefile, readLimit));
}

bool recordBeaten(std::string_view recordCaption, std::string_view scoreCaption)
{
    return numericValue(recordCaption) < numericValue(scoreCaption);
}

void saveRecord(const std::string& recordDir, std::string_view score, std::string_view name)
{
    std::string printText(score);
    replaceFile(scoreFile(recordDir), printText + std::string(lineEnd));
    printText = name;
    replaceFile(nameFile(recordDir), printText + std::string(lineEnd));
}

} // namespace records
