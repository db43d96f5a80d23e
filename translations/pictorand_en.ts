<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="ru_RU">
  <context>
    <name>QObject</name>
    <message>
      <source>%1 байт</source>
      <translation>%1 bytes</translation>
    </message>
    <message>
      <source>%1 КБ</source>
      <translation>%1 KB</translation>
    </message>
    <message>
      <source>%1 МБ</source>
      <translation>%1 MB</translation>
    </message>
    <message>
      <source>%1 × %2 пикс.</source>
      <translation>%1 × %2 px</translation>
    </message>
    <message>
      <source>файл около %1</source>
      <translation>file about %1</translation>
    </message>
  </context>
  <context>
    <name>pictorand::FileFilters</name>
    <message>
      <source>Все поддерживаемые файлы</source>
      <translation>All supported files</translation>
    </message>
    <message>
      <source>Файлы %1</source>
      <translation>%1 files</translation>
    </message>
    <message>
      <source>Все поддерживаемые файлы логотипа</source>
      <translation>All supported logo files</translation>
    </message>
    <message>
      <source>Файлы логотипа %1</source>
      <translation>%1 logo files</translation>
    </message>
  </context>
  <context>
    <name>pictorand::TExtrasMenu</name>
    <message>
      <source>Дополнительно</source>
      <translation>Extras</translation>
    </message>
    <message>
      <source>Цвет фона</source>
      <translation>Background colour</translation>
    </message>
  </context>
  <context>
    <name>pictorand::TFormAbaut</name>
    <message>
      <source>О программе</source>
      <translation>About</translation>
    </message>
    <message>
      <source>Автор программы: %1</source>
      <translation>Author: %1</translation>
    </message>
    <message>
      <source>команда Pictorand</source>
      <translation>the Pictorand team</translation>
    </message>
    <message>
      <source>Сайт программы: %1</source>
      <translation>Web site: %1</translation>
    </message>
    <message>
      <source>Закрыть</source>
      <translation>Close</translation>
    </message>
  </context>
  <context>
    <name>pictorand::TFormFormat</name>
    <message>
      <source>Формат файла</source>
      <translation>File format</translation>
    </message>
    <message>
      <source>Форматы файлов</source>
      <translation>File formats</translation>
    </message>
    <message>
      <source>Файл %1</source>
      <translation>%1 file</translation>
    </message>
    <message>
      <source>Выберите фильтр</source>
      <translation>Choose a filter</translation>
    </message>
    <message>
      <source>Качество JPG</source>
      <translation>JPG quality</translation>
    </message>
    <message>
      <source>WebP, AVIF, JPEG XL</source>
      <translation>WebP, AVIF, JPEG XL</translation>
    </message>
    <message>
      <source>по умолчанию</source>
      <translation>default</translation>
    </message>
    <message>
      <source>Качество (1–100):</source>
      <translation>Quality (1–100):</translation>
    </message>
    <message>
      <source>Без потерь</source>
      <translation>Lossless</translation>
    </message>
    <message>
      <source>Усилие сжатия (1–10):</source>
      <translation>Compression effort (1–10):</translation>
    </message>
  </context>
  <context>
    <name>pictorand::TFormGl</name>
    <message>
      <source>Файл</source>
      <translation>File</translation>
    </message>
    <message>
      <source>Сохранить набор настроек...</source>
      <translation>Save a settings set...</translation>
    </message>
    <message>
      <source>Загрузить набор...</source>
      <translation>Load a settings set...</translation>
    </message>
    <message>
      <source>Язык интерфейса</source>
      <translation>Interface language</translation>
    </message>
    <message>
      <source>Выход из программы</source>
      <translation>Exit</translation>
    </message>
    <message>
      <source>Формат</source>
      <translation>Format</translation>
    </message>
    <message>
      <source>Формат файла вывода...</source>
      <translation>Output file format...</translation>
    </message>
    <message>
      <source>Имя</source>
      <translation>Name</translation>
    </message>
    <message>
      <source>Имя файла вывода...</source>
      <translation>Output file name...</translation>
    </message>
    <message>
      <source>Размер</source>
      <translation>Size</translation>
    </message>
    <message>
      <source>Размер изображения...</source>
      <translation>Picture size...</translation>
    </message>
    <message>
      <source>Логотип</source>
      <translation>Logo</translation>
    </message>
    <message>
      <source>Наложение логотипа...</source>
      <translation>Stamp a logo...</translation>
    </message>
    <message>
      <source>Помощь</source>
      <translation>Help</translation>
    </message>
    <message>
      <source>Помощь...</source>
      <translation>Help...</translation>
    </message>
    <message>
      <source>О программе...</source>
      <translation>About...</translation>
    </message>
    <message>
      <source>Папка/Файл источник</source>
      <translation>Source folder/files</translation>
    </message>
    <message>
      <source>Включая подпапки</source>
      <translation>Including subfolders</translation>
    </message>
    <message>
      <source>Папка получатель</source>
      <translation>Output folder</translation>
    </message>
    <message>
      <source>Формат файла</source>
      <translation>File format</translation>
    </message>
    <message>
      <source>Имя файла</source>
      <translation>File name</translation>
    </message>
    <message>
      <source>Размер изобр.</source>
      <translation>Picture size</translation>
    </message>
    <message>
      <source>С  т  а  р  т</source>
      <translation>S  t  a  r  t</translation>
    </message>
    <message>
      <source>Выберите файл или файлы для обработки</source>
      <translation>Choose the file or files to convert</translation>
    </message>
    <message>
      <source>С  т  о  п</source>
      <translation>S  t  o  p</translation>
    </message>
    <message>
      <source>%1 из %2</source>
      <translation>%1 of %2</translation>
    </message>
    <message>
      <source>осталось %1</source>
      <translation>%1 left</translation>
    </message>
    <message>
      <source>Остановить обработку?</source>
      <translation>Stop converting?</translation>
    </message>
    <message>
      <source>Не удалось прочитать файл настроек %1: %2. Действуют настройки по умолчанию; файл будет перезаписан при выходе.</source>
      <translation>Cannot read the settings file %1: %2. The defaults hold; the file is written anew on leaving.</translation>
    </message>
    <message>
      <source>Не удалось сохранить настройки в файл %1: %2</source>
      <translation>Cannot save the settings to the file %1: %2</translation>
    </message>
    <message>
      <source>Наборы настроек (*%1)</source>
      <translation>Settings sets (*%1)</translation>
    </message>
    <message>
      <source>Язык интерфейса изменится при следующем запуске программы.</source>
      <translation>The interface language changes at the next start of the program.</translation>
    </message>
    <message>
      <source>Сохранить набор настроек</source>
      <translation>Save a settings set</translation>
    </message>
    <message>
      <source>Загрузить набор настроек</source>
      <translation>Load a settings set</translation>
    </message>
    <message>
      <source>Не удалось сохранить набор настроек в файл %1: %2</source>
      <translation>Cannot save the settings set to the file %1: %2</translation>
    </message>
    <message>
      <source>Не удалось загрузить набор настроек из файла %1: %2</source>
      <translation>Cannot load the settings set from the file %1: %2</translation>
    </message>
  </context>
  <context>
    <name>pictorand::TFormLogotip</name>
    <message>
      <source>Логотип</source>
      <translation>Logo</translation>
    </message>
    <message>
      <source>Наносить логотип на изображения</source>
      <translation>Stamp the logo on the pictures</translation>
    </message>
    <message>
      <source>Выбор логотипа</source>
      <translation>Choose the logo</translation>
    </message>
    <message>
      <source>Местоположение логотипа</source>
      <translation>Logo position</translation>
    </message>
    <message>
      <source>Вверху справа</source>
      <translation>Top right</translation>
    </message>
    <message>
      <source>Вверху слева</source>
      <translation>Top left</translation>
    </message>
    <message>
      <source>Внизу справа</source>
      <translation>Bottom right</translation>
    </message>
    <message>
      <source>Внизу слева</source>
      <translation>Bottom left</translation>
    </message>
    <message>
      <source>Выберите файл логотипа</source>
      <translation>Choose the logo file</translation>
    </message>
    <message>
      <source>Вы не выбрали файл логотипа!</source>
      <translation>You have not chosen a logo file!</translation>
    </message>
  </context>
  <context>
    <name>pictorand::TFormName</name>
    <message>
      <source>Имя файла при выводе</source>
      <translation>Output file name</translation>
    </message>
    <message>
      <source>Выберите способ изменения имени файла</source>
      <translation>Choose how the file names change</translation>
    </message>
    <message>
      <source>Автоматически добавлять к имени файла слово trumb</source>
      <translation>Add the word thumb to the file name</translation>
    </message>
    <message>
      <source>Автоматически заменять имена файлов порядковым номером</source>
      <translation>Replace the file names by running numbers</translation>
    </message>
    <message>
      <source>Начинать заменять имена файлов с  цифры:</source>
      <translation>Number the files starting from:</translation>
    </message>
    <message>
      <source>Автоматически добавлять к имени слово:</source>
      <translation>Add this word to the name:</translation>
    </message>
    <message>
      <source>Заменять имя файла этим именем</source>
      <translation>Replace the file name by this name</translation>
    </message>
    <message>
      <source>и автоматически добавлять к нему порядковый номер</source>
      <translation>and add a running number to it</translation>
    </message>
    <message>
      <source>Не изменять название файла </source>
      <translation>Keep the file name</translation>
    </message>
    <message>
      <source>Предупреждения</source>
      <translation>Warnings</translation>
    </message>
    <message>
      <source>Выводить предупреждение при совпадении имён файлов</source>
      <translation>Warn when a file of the same name exists</translation>
    </message>
    <message>
      <source>Заменять файлы при совпадении имён без предупреждения</source>
      <translation>Replace files of the same name without warning</translation>
    </message>
    <message>
      <source>Поле не должно быть пустым!</source>
      <translation>The field must not be empty!</translation>
    </message>
  </context>
  <context>
    <name>pictorand::TFormOutFolder</name>
    <message>
      <source>Выбор папки для вывода</source>
      <translation>Choose the output folder</translation>
    </message>
    <message>
      <source>Папка %1 не найдена!</source>
      <translation>The folder %1 is not found!</translation>
    </message>
    <message>
      <source>Создать папку</source>
      <translation>Create folder</translation>
    </message>
    <message>
      <source>Имя новой папки:</source>
      <translation>Name of the new folder:</translation>
    </message>
    <message>
      <source>Выбрать</source>
      <translation>Choose</translation>
    </message>
    <message>
      <source>Закрыть</source>
      <translation>Close</translation>
    </message>
    <message>
      <source>Недавние папки</source>
      <translation>Recent folders</translation>
    </message>
    <message>
      <source>Не удалось создать папку %1!</source>
      <translation>Cannot create the folder %1!</translation>
    </message>
  </context>
  <context>
    <name>pictorand::TFormSize</name>
    <message>
      <source>Размер изображения</source>
      <translation>Picture size</translation>
    </message>
    <message>
      <source>С сохранением пропорций (размер в пикселях)</source>
      <translation>Keep proportions (size in pixels)</translation>
    </message>
    <message>
      <source>С сохранением пропорций (размер в процентах)</source>
      <translation>Keep proportions (size in percent)</translation>
    </message>
    <message>
      <source>С сохранением пропорций (размер в сантиметрах)</source>
      <translation>Keep proportions (size in centimetres)</translation>
    </message>
    <message>
      <source>С сохранением пропорций (размер в миллиметрах)</source>
      <translation>Keep proportions (size in millimetres)</translation>
    </message>
    <message>
      <source>Пользовательский</source>
      <translation>Custom</translation>
    </message>
    <message>
      <source>Ширина:</source>
      <translation>Width:</translation>
    </message>
    <message>
      <source>Высота:</source>
      <translation>Height:</translation>
    </message>
    <message>
      <source>Без изменения размера (только преобразование)</source>
      <translation>Keep the size (convert only)</translation>
    </message>
    <message>
      <source>Поле не должно быть пустым или равно нулю!</source>
      <translation>The field must be neither empty nor zero!</translation>
    </message>
  </context>
  <context>
    <name>pictorand::THelpWindow</name>
    <message>
      <source>Справка</source>
      <translation>Help</translation>
    </message>
  </context>
  <context>
    <name>pictorand::TKeyFilter</name>
    <message>
      <source>Имя файла не должно содержать: | \ / * " &lt;&gt;!</source>
      <translation>A file name must not contain: | \ / * " &lt;&gt;!</translation>
    </message>
    <message>
      <source>В этом поле могу быть только цифры и _ -!</source>
      <translation>This field takes only digits, _ and -!</translation>
    </message>
    <message>
      <source>В этом поле должны быть только цифры!</source>
      <translation>This field takes only digits!</translation>
    </message>
  </context>
  <context>
    <name>pictorand::TPreviewPanel</name>
    <message>
      <source>Предпросмотр</source>
      <translation>Preview</translation>
    </message>
    <message>
      <source>Готовится…</source>
      <translation>Preparing…</translation>
    </message>
  </context>
  <context>
    <name>pictorand::TQtRunHost</name>
    <message>
      <source>Да</source>
      <translation>Yes</translation>
    </message>
    <message>
      <source>Нет</source>
      <translation>No</translation>
    </message>
    <message>
      <source>Да для всех</source>
      <translation>Yes to all</translation>
    </message>
    <message>
      <source>Нет для всех</source>
      <translation>No to all</translation>
    </message>
    <message>
      <source>Файл %1 уже записан из другого файла, %2 не сохранён!</source>
      <translation>The file %1 was already written from another file; %2 is not saved!</translation>
    </message>
  </context>
  <context>
    <name>pictorand::TRunSummaryWindow</name>
    <message>
      <source>Записано %1, пропущено %2, с ошибками %3</source>
      <translation>Written %1, skipped %2, failed %3</translation>
    </message>
    <message>
      <source>Открыть папку</source>
      <translation>Open folder</translation>
    </message>
    <message>
      <source>Закрыть</source>
      <translation>Close</translation>
    </message>
  </context>
  <context>
    <name>pictorand::TSourceList</name>
    <message>
      <source>Убрать</source>
      <translation>Remove</translation>
    </message>
    <message>
      <source>Очистить</source>
      <translation>Clear</translation>
    </message>
    <message>
      <source>Файлов: %1</source>
      <translation>Files: %1</translation>
    </message>
    <message>
      <source>%1 × %2 пикс.</source>
      <translation>%1 × %2 px</translation>
    </message>
  </context>
</TS>
