// The batch run's own texts, shown to the user exactly as written here.
#pragma once

#include <string_view>

namespace pictorand::messages {

inline constexpr std::string_view ContinueProcessing = "Продолжить обработку других файлов?";
inline constexpr std::string_view ResizeErrorPrefix = "Ошибка изменения размера файла ";
inline constexpr std::string_view CannotLoadFilePrefix = "Невозможно загрузить файл ";
inline constexpr std::string_view CannotLoadLogo = "Невозможно загрузить файл логотипа!";
inline constexpr std::string_view FileExistsReplace = "Файл существует! Заменить?";
inline constexpr std::string_view NothingToProcess = "Нет изображений для обработки или не выбрана папка-получатель!";
inline constexpr std::string_view HelpFileNotFound = "Файл справки не найден!";
inline constexpr std::string_view CannotWriteFilePrefix = "Невозможно записать файл ";
// %s: the naming rule's text.
inline constexpr std::string_view NameTextLeavesFolder =
    "Текст «%s» в имени файла вывел бы файлы за пределы папки-получателя: в нём не может быть «/» и «..»!";

}  // namespace pictorand::messages
