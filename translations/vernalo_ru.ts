<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru" sourcelanguage="en">
<context>
    <name>ExportDialog</name>
    <message>
        <source>Export audio</source>
        <translation>Экспорт звука</translation>
    </message>
    <message>
        <source>One file</source>
        <translation>Один файл</translation>
    </message>
    <message>
        <source> min per file</source>
        <translation> мин. на файл</translation>
    </message>
    <message>
        <source>Split into files of</source>
        <translation>Разбить на файлы по</translation>
    </message>
    <message>
        <source>&amp;Split into files of:</source>
        <translation>&amp;Разбить на файлы по:</translation>
    </message>
    <message>
        <source>One file per &amp;chapter</source>
        <translation>Файл на каждую &amp;главу</translation>
    </message>
    <message>
        <source>Numbered files named after the chapters, with a playlist</source>
        <translation>Нумерованные файлы с названиями глав и список воспроизведения</translation>
    </message>
    <message>
        <source>Also write s&amp;ubtitles</source>
        <translation>Также записать &amp;субтитры</translation>
    </message>
    <message>
        <source>The text of each sentence as it is heard, in a file beside each audio file</source>
        <translation>Текст каждого предложения в тот миг, когда оно звучит, — в файле рядом с каждым звуковым файлом</translation>
    </message>
    <message>
        <source>Subtitle format</source>
        <translation>Формат субтитров</translation>
    </message>
    <message>
        <source>One file with chapter &amp;marks</source>
        <translation>Один файл с &amp;метками глав</translation>
    </message>
    <message>
        <source>One file whose chapters players list (not WAV)</source>
        <translation>Один файл, главы которого показывают проигрыватели (не WAV)</translation>
    </message>
</context>
<context>
    <name>vernalo::BrowserPage</name>
    <message>
        <source>Remove address</source>
        <translation>Удалить адрес</translation>
    </message>
    <message>
        <source>Add address</source>
        <translation>Добавить адрес</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>Адрес</translation>
    </message>
    <message>
        <source>GO!</source>
        <translation>Перейти</translation>
    </message>
    <message>
        <source>Cannot open the address &quot;%1&quot;: it is neither a web address nor a file path.</source>
        <translation>Не удаётся открыть адрес «%1»: это не веб-адрес и не путь к файлу.</translation>
    </message>
    <message>
        <source>Web page</source>
        <translation>Веб-страница</translation>
    </message>
</context>
<context>
    <name>vernalo::ContentsPanel</name>
    <message>
        <source>Contents</source>
        <translation>Содержание</translation>
    </message>
    <message>
        <source>This document has no headings.</source>
        <translation>В этом документе нет заголовков.</translation>
    </message>
</context>
<context>
    <name>vernalo::DictionaryLoader</name>
    <message>
        <source>Dictionary not loaded: %1 is not a file</source>
        <translation>Словарь не загружен: %1 — не файл</translation>
    </message>
    <message>
        <source>Dictionary not loaded: %1</source>
        <translation>Словарь не загружен: %1</translation>
    </message>
    <message>
        <source>Dictionary not loaded: %1: %2</source>
        <translation>Словарь не загружен: %1: %2</translation>
    </message>
    <message>
        <source>Some reading rules were left out:
%1</source>
        <translation>Некоторые правила чтения пропущены:
%1</translation>
    </message>
</context>
<context>
    <name>vernalo::DictionaryModel</name>
    <message>
        <source>Word</source>
        <translation>Слово</translation>
    </message>
    <message>
        <source>Say it as</source>
        <translation>Произносить как</translation>
    </message>
</context>
<context>
    <name>vernalo::DictionaryTab</name>
    <message>
        <source>Russian</source>
        <translation>Русский</translation>
    </message>
    <message>
        <source>English</source>
        <translation>Английский</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Язык</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Поиск</translation>
    </message>
    <message>
        <source>Entries</source>
        <translation>Записи</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Изменить</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Удалить</translation>
    </message>
    <message numerus="yes">
        <source>%n entries</source>
        <translation>
            <numerusform>%n запись</numerusform>
            <numerusform>%n записи</numerusform>
            <numerusform>%n записей</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>vernalo::DocumentCommands</name>
    <message>
        <source>Not found</source>
        <translation>Не найдено</translation>
    </message>
    <message>
        <source>All readable files</source>
        <translation>Все поддерживаемые файлы</translation>
    </message>
    <message>
        <source>Text files</source>
        <translation>Текстовые файлы</translation>
    </message>
    <message>
        <source>RTF files</source>
        <translation>Файлы RTF</translation>
    </message>
    <message>
        <source>HTML files</source>
        <translation>Файлы HTML</translation>
    </message>
    <message>
        <source>DOC files</source>
        <translation>Файлы DOC</translation>
    </message>
    <message>
        <source>All files</source>
        <translation>Все файлы</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Открыть</translation>
    </message>
    <message>
        <source>Clipboard does not contain text.</source>
        <translation>В буфере обмена нет текста.</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Сохранить</translation>
    </message>
    <message>
        <source>Images</source>
        <translation>Изображения</translation>
    </message>
    <message>
        <source>Recognising page %1 of %2…</source>
        <translation>Распознаётся страница %1 из %2…</translation>
    </message>
</context>
<context>
    <name>vernalo::DocumentFile</name>
    <message>
        <source>Cannot open file %1: it is a folder</source>
        <translation>Не удаётся открыть файл %1: это папка</translation>
    </message>
    <message>
        <source>the file is damaged or incomplete</source>
        <translation>файл повреждён или неполон</translation>
    </message>
    <message>
        <source>Cannot open file %1</source>
        <translation>Не удаётся открыть файл %1</translation>
    </message>
    <message>
        <source>Failed to Load Stream</source>
        <translation>Не удалось прочитать файл</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>Не удаётся прочитать %1: %2</translation>
    </message>
    <message>
        <source>Cannot read %1: this is not a text document.</source>
        <translation>Не удаётся прочитать %1: это не текстовый документ.</translation>
    </message>
    <message>
        <source>Cannot create file %1</source>
        <translation>Не удаётся создать файл %1</translation>
    </message>
    <message>
        <source>Failed to Save Stream</source>
        <translation>Не удалось записать файл</translation>
    </message>
    <message>
        <source>This PDF has no text to read.</source>
        <translation>В этом PDF нет текста для чтения.</translation>
    </message>
    <message>
        <source>No text was found in this image.</source>
        <translation>На этом изображении не найден текст.</translation>
    </message>
    <message>
        <source>Text recognition needs the Russian and English language data: install tesseract-ocr-rus and tesseract-ocr-eng.</source>
        <translation>Для распознавания текста нужны данные русского и английского языков: установите tesseract-ocr-rus и tesseract-ocr-eng.</translation>
    </message>
</context>
<context>
    <name>vernalo::DocumentPages</name>
    <message>
        <source>Document file</source>
        <translation>Файл документа</translation>
    </message>
    <message>
        <source>Text1</source>
        <translation>Текст</translation>
    </message>
    <message>
        <source>Browser</source>
        <translation>Браузер</translation>
    </message>
</context>
<context>
    <name>vernalo::ExportController</name>
    <message>
        <source>%1 files cannot hold chapter marks; export to %2 instead.</source>
        <translation>Файлы %1 не могут хранить метки глав; экспортируйте в %2.</translation>
    </message>
    <message>
        <source>Cancel export</source>
        <translation>Отменить экспорт</translation>
    </message>
    <message>
        <source> %1 cannot write files; %2 read the %3 text instead.</source>
        <translation> %1 не может записывать файлы; текст на языке «%3» вместо него прочитал голос %2.</translation>
    </message>
    <message>
        <source>Exporting %1...</source>
        <translation>Экспорт %1...</translation>
    </message>
    <message>
        <source>Export read-along book</source>
        <translation>Экспорт книги с озвучкой</translation>
    </message>
    <message>
        <source>EPUB books (*.epub)</source>
        <translation>Книги EPUB (*.epub)</translation>
    </message>
    <message>
        <source>Exporting %1: %2...</source>
        <translation>Экспорт %1: %2...</translation>
    </message>
    <message>
        <source> Time left: %1.</source>
        <translation> Осталось: %1.</translation>
    </message>
    <message>
        <source>Export cancelled</source>
        <translation>Экспорт отменён</translation>
    </message>
    <message>
        <source>Export failed</source>
        <translation>Экспорт не удался</translation>
    </message>
    <message>
        <source>The audio could not be exported: %1</source>
        <translation>Не удалось экспортировать звук: %1</translation>
    </message>
    <message>
        <source>Exported to %1</source>
        <translation>Экспортировано в %1</translation>
    </message>
    <message>
        <source>Exported to %1 files: %2 ... %3</source>
        <translation>Экспортировано в %1 файлов: %2 ... %3</translation>
    </message>
    <message>
        <source> Nothing in the text was spoken: it holds no sound.</source>
        <translation> В тексте нечего произносить: звука не получилось.</translation>
    </message>
    <message>
        <source>Russian</source>
        <translation>русский</translation>
    </message>
    <message>
        <source>English</source>
        <translation>английский</translation>
    </message>
    <message>
        <source> Playlist: %1</source>
        <translation> Список воспроизведения: %1</translation>
    </message>
</context>
<context>
    <name>vernalo::FindDialog</name>
    <message>
        <source>Find</source>
        <translation>Поиск</translation>
    </message>
    <message>
        <source>Fi&amp;nd what:</source>
        <translation>&amp;Найти:</translation>
    </message>
    <message>
        <source>Match &amp;case</source>
        <translation>С учётом &amp;регистра</translation>
    </message>
    <message>
        <source>Match &amp;whole word only</source>
        <translation>Только слово &amp;целиком</translation>
    </message>
    <message>
        <source>Direction</source>
        <translation>Направление</translation>
    </message>
    <message>
        <source>&amp;Up</source>
        <translation>Вв&amp;ерх</translation>
    </message>
    <message>
        <source>&amp;Down</source>
        <translation>&amp;Вниз</translation>
    </message>
    <message>
        <source>&amp;Find Next</source>
        <translation>Найти &amp;далее</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>vernalo::FontDialog</name>
    <message>
        <source>Font</source>
        <translation>Шрифт</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Цвет</translation>
    </message>
    <message>
        <source>Window text</source>
        <translation>Цвет текста окна</translation>
    </message>
    <message>
        <source>&amp;Color:</source>
        <translation>&amp;Цвет:</translation>
    </message>
    <message>
        <source>Black</source>
        <translation>Чёрный</translation>
    </message>
    <message>
        <source>Maroon</source>
        <translation>Бордовый</translation>
    </message>
    <message>
        <source>Green</source>
        <translation>Зелёный</translation>
    </message>
    <message>
        <source>Olive</source>
        <translation>Оливковый</translation>
    </message>
    <message>
        <source>Navy</source>
        <translation>Тёмно-синий</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>Пурпурный</translation>
    </message>
    <message>
        <source>Teal</source>
        <translation>Сине-зелёный</translation>
    </message>
    <message>
        <source>Gray</source>
        <translation>Серый</translation>
    </message>
    <message>
        <source>Silver</source>
        <translation>Серебристый</translation>
    </message>
    <message>
        <source>Red</source>
        <translation>Красный</translation>
    </message>
    <message>
        <source>Lime</source>
        <translation>Ярко-зелёный</translation>
    </message>
    <message>
        <source>Yellow</source>
        <translation>Жёлтый</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>Синий</translation>
    </message>
    <message>
        <source>Fuchsia</source>
        <translation>Фуксия</translation>
    </message>
    <message>
        <source>Aqua</source>
        <translation>Голубой</translation>
    </message>
    <message>
        <source>White</source>
        <translation>Белый</translation>
    </message>
</context>
<context>
    <name>vernalo::FontPage</name>
    <message>
        <source>Font </source>
        <translation>Шрифт</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>Шрифт</translation>
    </message>
    <message>
        <source>Font Name</source>
        <translation>Название шрифта</translation>
    </message>
    <message>
        <source>Font Size</source>
        <translation>Размер шрифта</translation>
    </message>
    <message>
        <source>Font Color</source>
        <translation>Цвет шрифта</translation>
    </message>
    <message>
        <source>Choose font</source>
        <translation>Выбрать шрифт</translation>
    </message>
    <message>
        <source>Dos2Win</source>
        <translation>DOS→WIN</translation>
    </message>
    <message>
        <source>Transformation  DOS to WIN</source>
        <translation>Перекодировать из DOS в WIN</translation>
    </message>
</context>
<context>
    <name>vernalo::OptionsPage</name>
    <message>
        <source>Repeating a words</source>
        <translation>Повтор слов</translation>
    </message>
    <message>
        <source>Repeaing a sentences</source>
        <translation>Повтор предложений</translation>
    </message>
    <message>
        <source>Russian</source>
        <translation>Русский</translation>
    </message>
    <message>
        <source>English</source>
        <translation>Английский</translation>
    </message>
    <message>
        <source>Repeat Russian Word/Sentence</source>
        <translation>Повторы русского слова/предложения</translation>
    </message>
    <message>
        <source>Repeat English Word/Sentence</source>
        <translation>Повторы английского слова/предложения</translation>
    </message>
    <message>
        <source>Mark the spoken word</source>
        <translation>Отмечать произносимое слово</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Нет</translation>
    </message>
    <message>
        <source>As long as the piece</source>
        <translation>Такая же, как фрагмент</translation>
    </message>
    <message>
        <source>Twice as long</source>
        <translation>Вдвое длиннее</translation>
    </message>
    <message>
        <source>Pause after each piece</source>
        <translation>Пауза после каждого фрагмента</translation>
    </message>
    <message>
        <source>Pause after each piece:</source>
        <translation>Пауза после каждого фрагмента:</translation>
    </message>
</context>
<context>
    <name>vernalo::PronunciationController</name>
    <message>
        <source>The dictionary could not be read, so it cannot be changed: %1</source>
        <translation>Словарь не удалось прочитать, поэтому его нельзя изменить: %1</translation>
    </message>
    <message>
        <source>The dictionary is still loading.</source>
        <translation>Словарь ещё загружается.</translation>
    </message>
    <message>
        <source>Type the word first.</source>
        <translation>Сначала введите слово.</translation>
    </message>
    <message>
        <source>Type what the voice should say.</source>
        <translation>Введите, как голос должен произносить слово.</translation>
    </message>
    <message>
        <source>A word in the dictionary cannot hold &quot;=&quot;.</source>
        <translation>Слово в словаре не может содержать «=».</translation>
    </message>
    <message>
        <source>An entry cannot hold a line break.</source>
        <translation>Запись не может содержать перевод строки.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is not in the dictionary.</source>
        <translation>«%1» нет в словаре.</translation>
    </message>
    <message>
        <source>The dictionary was not saved: %1</source>
        <translation>Словарь не сохранён: %1</translation>
    </message>
    <message>
        <source>The rules could not be read: %1</source>
        <translation>Правила не удалось прочитать: %1</translation>
    </message>
    <message>
        <source>The rules were not saved: %1</source>
        <translation>Правила не сохранены: %1</translation>
    </message>
</context>
<context>
    <name>vernalo::PronunciationDialog</name>
    <message>
        <source>Pr&amp;onunciation…</source>
        <translation>Пр&amp;оизношение…</translation>
    </message>
    <message>
        <source>Pr&amp;onunciation of &quot;%1&quot;…</source>
        <translation>Пр&amp;оизношение «%1»…</translation>
    </message>
    <message>
        <source>Pronunciation</source>
        <translation>Произношение</translation>
    </message>
    <message>
        <source>Word</source>
        <translation>Слово</translation>
    </message>
    <message>
        <source>Say it as</source>
        <translation>Произносить как</translation>
    </message>
    <message>
        <source>Stress &amp;mark</source>
        <translation>Знак &amp;ударения</translation>
    </message>
    <message>
        <source>Puts an acute accent after the letter before the cursor: the voice stresses that vowel.</source>
        <translation>Ставит знак ударения после буквы перед курсором: голос сделает ударение на этой гласной.</translation>
    </message>
    <message>
        <source>&amp;Word:</source>
        <translation>&amp;Слово:</translation>
    </message>
    <message>
        <source>&amp;Language:</source>
        <translation>&amp;Язык:</translation>
    </message>
    <message>
        <source>Current entry:</source>
        <translation>Текущая запись:</translation>
    </message>
    <message>
        <source>&amp;Say it as:</source>
        <translation>&amp;Произносить как:</translation>
    </message>
    <message>
        <source>&amp;Test</source>
        <translation>&amp;Прослушать</translation>
    </message>
    <message>
        <source>Sa&amp;ve</source>
        <translation>Со&amp;хранить</translation>
    </message>
    <message>
        <source>&amp;Remove</source>
        <translation>&amp;Удалить</translation>
    </message>
    <message>
        <source>Dictionary</source>
        <translation>Словарь</translation>
    </message>
    <message>
        <source>Rules</source>
        <translation>Правила</translation>
    </message>
    <message>
        <source>Saved to %1</source>
        <translation>Сохранено в %1</translation>
    </message>
    <message>
        <source>(none: the voice reads the word as written)</source>
        <translation>(нет: голос читает слово как написано)</translation>
    </message>
    <message>
        <source>Saving…</source>
        <translation>Сохранение…</translation>
    </message>
</context>
<context>
    <name>vernalo::ReadFromOthersDialog</name>
    <message>
        <source>Read from other programs</source>
        <translation>Чтение из других программ</translation>
    </message>
    <message>
        <source>To hear the text selected in any program with one key, bind this command to a key as a custom shortcut in your desktop&apos;s keyboard settings:</source>
        <translation>Чтобы слушать текст, выделенный в любой программе, одной клавишей, назначьте эту команду клавише как собственную комбинацию в настройках клавиатуры вашего рабочего стола:</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>Команда</translation>
    </message>
    <message>
        <source>&amp;Copy the command</source>
        <translation>&amp;Копировать команду</translation>
    </message>
    <message>
        <source>GNOME: Settings &gt; Keyboard &gt; View and Customize Shortcuts &gt; Custom Shortcuts
KDE Plasma: System Settings &gt; Shortcuts &gt; Add New &gt; Command or Script
Xfce: Keyboard &gt; Application Shortcuts &gt; Add
Cinnamon: Keyboard &gt; Shortcuts &gt; Add custom shortcut

With nothing selected the clipboard is read; --read-clipboard reads only the clipboard, and --read-text reads the text given (&quot;-&quot;: standard input). Each data folder has its own window, so the command names this window&apos;s folder when it is not the usual one.</source>
        <translation>GNOME: Параметры &gt; Клавиатура &gt; Просмотр и настройка комбинаций клавиш &gt; Дополнительные комбинации клавиш
KDE Plasma: Параметры системы &gt; Комбинации клавиш &gt; Добавить &gt; Команда или сценарий
Xfce: Клавиатура &gt; Комбинации клавиш приложений &gt; Добавить
Cinnamon: Клавиатура &gt; Комбинации клавиш &gt; Добавить пользовательскую комбинацию

Если ничего не выделено, читается буфер обмена; --read-clipboard читает только буфер обмена, а --read-text читает данный текст (&quot;-&quot;: стандартный ввод). У каждой папки данных своё окно, поэтому команда называет папку этого окна, если она не обычная.</translation>
    </message>
</context>
<context>
    <name>vernalo::ReadingController</name>
    <message>
        <source>Reading paused: %1</source>
        <translation>Чтение приостановлено: %1</translation>
    </message>
    <message>
        <source>Loading data ...</source>
        <translation>Загрузка данных...</translation>
    </message>
    <message>
        <source>No sound output is available (%1), so the text cannot be read aloud. Check that the sound server is running (pactl info shows it) and has an output device, then press Say again.</source>
        <translation>Вывод звука недоступен (%1), поэтому текст нельзя прочитать вслух. Проверьте, что звуковой сервер запущен (это покажет pactl info) и у него есть устройство вывода, затем снова нажмите «Произнести».</translation>
    </message>
    <message>
        <source> Ready </source>
        <translation> Готово </translation>
    </message>
    <message>
        <source>A reading rule was left out: %1</source>
        <translation>Правило чтения пропущено: %1</translation>
    </message>
    <message>
        <source>Loading the voice %1…</source>
        <translation>Загружается голос %1…</translation>
    </message>
</context>
<context>
    <name>vernalo::ReadingMenuItems</name>
    <message>
        <source>&amp;Previous piece</source>
        <translation>Пре&amp;дыдущий фрагмент</translation>
    </message>
    <message>
        <source>&amp;Next piece</source>
        <translation>Следу&amp;ющий фрагмент</translation>
    </message>
    <message>
        <source>Read the piece &amp;again</source>
        <translation>Прочитать фрагмент с&amp;нова</translation>
    </message>
    <message>
        <source>S&amp;top after</source>
        <translation>&amp;Остановить через</translation>
    </message>
    <message>
        <source>&amp;%1 minutes</source>
        <translation>&amp;%1 минут</translation>
    </message>
    <message>
        <source>At the end of the &amp;chapter</source>
        <translation>В конце &amp;главы</translation>
    </message>
    <message>
        <source>&amp;Off</source>
        <translation>В&amp;ыключить</translation>
    </message>
</context>
<context>
    <name>vernalo::RulesTab</name>
    <message>
        <source>Each pattern is a regular expression; what it matches is read as the replacement.</source>
        <translation>Каждый образец — регулярное выражение; то, что с ним совпадает, читается как замена.</translation>
    </message>
    <message>
        <source>Rules</source>
        <translation>Правила</translation>
    </message>
    <message>
        <source>Pattern</source>
        <translation>Образец</translation>
    </message>
    <message>
        <source>Replacement</source>
        <translation>Замена</translation>
    </message>
    <message>
        <source>&amp;Add</source>
        <translation>&amp;Добавить</translation>
    </message>
    <message>
        <source>Re&amp;move</source>
        <translation>У&amp;далить</translation>
    </message>
    <message>
        <source>Move &amp;up</source>
        <translation>В&amp;верх</translation>
    </message>
    <message>
        <source>Move do&amp;wn</source>
        <translation>В&amp;низ</translation>
    </message>
    <message>
        <source>Save &amp;rules</source>
        <translation>Сохранить &amp;правила</translation>
    </message>
    <message>
        <source>Rule %1: the pattern is empty.</source>
        <translation>Правило %1: образец пуст.</translation>
    </message>
    <message>
        <source>Rule %1: the pattern holds a line break.</source>
        <translation>Правило %1: образец содержит перевод строки.</translation>
    </message>
    <message>
        <source>Rule %1: the pattern cannot hold &quot; = &quot;.</source>
        <translation>Правило %1: образец не может содержать « = ».</translation>
    </message>
    <message>
        <source>Rule %1: a pattern starting with # would be a comment.</source>
        <translation>Правило %1: образец, начинающийся с #, был бы комментарием.</translation>
    </message>
    <message>
        <source>Rule %1: the pattern is not a valid regular expression: %2</source>
        <translation>Правило %1: образец не является правильным регулярным выражением: %2</translation>
    </message>
    <message>
        <source>Changed; not saved yet.</source>
        <translation>Изменено, но ещё не сохранено.</translation>
    </message>
    <message>
        <source>Saved to %1</source>
        <translation>Сохранено в %1</translation>
    </message>
</context>
<context>
    <name>vernalo::SettingsPages</name>
    <message>
        <source>Speech</source>
        <translation>Речь</translation>
    </message>
    <message>
        <source>Settings for SpeechEngines</source>
        <translation>Настройки синтезаторов речи</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Параметры</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>Шрифт</translation>
    </message>
</context>
<context>
    <name>vernalo::SleepTimer</name>
    <message>
        <source>Reading paused by the sleep timer</source>
        <translation>Чтение остановлено таймером сна</translation>
    </message>
    <message>
        <source>Chapter</source>
        <translation>Глава</translation>
    </message>
</context>
<context>
    <name>vernalo::SpeechPage</name>
    <message>
        <source>Russian Voice</source>
        <translation>Русский голос</translation>
    </message>
    <message>
        <source>On/Off russian voice</source>
        <translation>Включить/выключить русский голос</translation>
    </message>
    <message>
        <source>Choose Russian voice</source>
        <translation>Выбор русского голоса</translation>
    </message>
    <message>
        <source>RU</source>
        <translation>RU</translation>
    </message>
    <message>
        <source>Testing russian Voice</source>
        <translation>Проверить русский голос</translation>
    </message>
    <message>
        <source>Speed of the Russian speech</source>
        <translation>Скорость русской речи</translation>
    </message>
    <message>
        <source>English Voice</source>
        <translation>Английский голос</translation>
    </message>
    <message>
        <source>On/Off english voice</source>
        <translation>Включить/выключить английский голос</translation>
    </message>
    <message>
        <source>Choose English voice</source>
        <translation>Выбор английского голоса</translation>
    </message>
    <message>
        <source>EN</source>
        <translation>EN</translation>
    </message>
    <message>
        <source>Testing english Voice</source>
        <translation>Проверить английский голос</translation>
    </message>
    <message>
        <source>Speed of the English speech</source>
        <translation>Скорость английской речи</translation>
    </message>
    <message>
        <source>; speech is not heard</source>
        <translation>; речь не слышна</translation>
    </message>
    <message>
        <source>Speed </source>
        <translation>Скорость </translation>
    </message>
</context>
<context>
    <name>vernalo::StatusBar</name>
    <message>
        <source>Column: %1</source>
        <translation>Столбец: %1</translation>
    </message>
    <message>
        <source>String: %1</source>
        <translation>Строка: %1</translation>
    </message>
    <message>
        <source>Strings: %1</source>
        <translation>Строк: %1</translation>
    </message>
    <message>
        <source>Progress</source>
        <translation>Ход выполнения</translation>
    </message>
    <message>
        <source> - Russian - </source>
        <translation> - Русский - </translation>
    </message>
    <message>
        <source> - English - </source>
        <translation> - Английский - </translation>
    </message>
    <message>
        <source>Sleep timer</source>
        <translation>Таймер сна</translation>
    </message>
</context>
<context>
    <name>vernalo::TextEditor</name>
    <message>
        <source>Text</source>
        <translation>Текст</translation>
    </message>
</context>
<context>
    <name>vernalo::TextFromOutside</name>
    <message>
        <source>Read what I &amp;copy</source>
        <translation>Читать &amp;копируемое</translation>
    </message>
</context>
<context>
    <name>vernalo::ToolBarRow</name>
    <message>
        <source>Clear</source>
        <translation>Очистить</translation>
    </message>
    <message>
        <source>Save text </source>
        <translation>Сохранить текст</translation>
    </message>
    <message>
        <source>Load text for reading</source>
        <translation>Загрузить текст для чтения</translation>
    </message>
    <message>
        <source>Paste text from clipboard</source>
        <translation>Вставить текст из буфера обмена</translation>
    </message>
    <message>
        <source>Transform  HTML to text</source>
        <translation>Преобразовать HTML в текст</translation>
    </message>
    <message>
        <source>Find in text</source>
        <translation>Найти в тексте</translation>
    </message>
    <message>
        <source>Say text/Pause</source>
        <translation>Произнести текст/Пауза</translation>
    </message>
    <message>
        <source>Repeat text</source>
        <translation>Повтор текста</translation>
    </message>
    <message>
        <source>Speech settings</source>
        <translation>Настройки речи</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Параметры</translation>
    </message>
    <message>
        <source>Font settings</source>
        <translation>Настройки шрифта</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>Export audio</source>
        <translation>Экспорт звука</translation>
    </message>
</context>
<context>
    <name>vernalo::TrayMenu</name>
    <message>
        <source>Read &amp;clipboard</source>
        <translation>Читать &amp;буфер обмена</translation>
    </message>
    <message>
        <source>Read &amp;selection</source>
        <translation>Читать в&amp;ыделенное</translation>
    </message>
    <message>
        <source>S&amp;how</source>
        <translation>&amp;Показать</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>В&amp;ыход</translation>
    </message>
</context>
<context>
    <name>vernalo::WindowMenus</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <source>&amp;Open…</source>
        <translation>&amp;Открыть…</translation>
    </message>
    <message>
        <source>Open &amp;Recent</source>
        <translation>&amp;Недавние файлы</translation>
    </message>
    <message>
        <source>&amp;Save as RTF…</source>
        <translation>&amp;Сохранить как RTF…</translation>
    </message>
    <message>
        <source>&amp;Export audio…</source>
        <translation>&amp;Экспорт звука…</translation>
    </message>
    <message>
        <source>Export read-along &amp;book…</source>
        <translation>Экспорт &amp;книги с озвучкой…</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>В&amp;ыход</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Правка</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Отменить</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Повторить</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>&amp;Вырезать</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Копировать</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>Вст&amp;авить</translation>
    </message>
    <message>
        <source>Paste &amp;text from clipboard</source>
        <translation>Вставить &amp;текст из буфера обмена</translation>
    </message>
    <message>
        <source>Select &amp;all</source>
        <translation>Выделить в&amp;сё</translation>
    </message>
    <message>
        <source>&amp;Find…</source>
        <translation>&amp;Найти…</translation>
    </message>
    <message>
        <source>Find &amp;next</source>
        <translation>Найти &amp;далее</translation>
    </message>
    <message>
        <source>C&amp;lear</source>
        <translation>О&amp;чистить</translation>
    </message>
    <message>
        <source>Transform &amp;HTML to text</source>
        <translation>Преобразовать &amp;HTML в текст</translation>
    </message>
    <message>
        <source>&amp;DOS to WIN</source>
        <translation>Из &amp;DOS в WIN</translation>
    </message>
    <message>
        <source>&amp;Reading</source>
        <translation>&amp;Чтение</translation>
    </message>
    <message>
        <source>&amp;Say/Pause</source>
        <translation>&amp;Произнести/Пауза</translation>
    </message>
    <message>
        <source>&amp;Repeat text</source>
        <translation>По&amp;втор текста</translation>
    </message>
    <message>
        <source>&amp;Word mode</source>
        <translation>Режим по &amp;словам</translation>
    </message>
    <message>
        <source>S&amp;entence mode</source>
        <translation>Режим по п&amp;редложениям</translation>
    </message>
    <message>
        <source>Repeat &amp;counts…</source>
        <translation>&amp;Число повторов…</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Вид</translation>
    </message>
    <message>
        <source>&amp;Speech settings</source>
        <translation>&amp;Настройки речи</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>&amp;Параметры</translation>
    </message>
    <message>
        <source>&amp;Font settings</source>
        <translation>Настройки &amp;шрифта</translation>
    </message>
    <message>
        <source>&amp;Text page</source>
        <translation>Страница &amp;текста</translation>
    </message>
    <message>
        <source>&amp;Browser page</source>
        <translation>Страница &amp;браузера</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Справка</translation>
    </message>
    <message>
        <source>&amp;Keyboard shortcuts</source>
        <translation>&amp;Сочетания клавиш</translation>
    </message>
    <message>
        <source>&amp;About Vernalo</source>
        <translation>&amp;О программе Vernalo</translation>
    </message>
    <message>
        <source>Keyboard shortcuts</source>
        <translation>Сочетания клавиш</translation>
    </message>
    <message>
        <source>Command</source>
        <translation>Команда</translation>
    </message>
    <message>
        <source>Keys</source>
        <translation>Клавиши</translation>
    </message>
    <message>
        <source>About Vernalo</source>
        <translation>О программе Vernalo</translation>
    </message>
    <message>
        <source>&lt;h3&gt;Vernalo %1&lt;/h3&gt;&lt;p&gt;Reads Russian and English texts aloud, each with its own voice.&lt;/p&gt;&lt;p&gt;Built-in speech: eSpeak NG %2 (GNU GPL version 3 or later).&lt;br&gt;Qt %3 (GNU LGPL version 3).&lt;br&gt;Other voices through speech-dispatcher, where it is installed.&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Vernalo %1&lt;/h3&gt;&lt;p&gt;Читает вслух русские и английские тексты, каждый своим голосом.&lt;/p&gt;&lt;p&gt;Встроенный синтез речи: eSpeak NG %2 (GNU GPL версии 3 или более поздней).&lt;br&gt;Qt %3 (GNU LGPL версии 3).&lt;br&gt;Другие голоса — через speech-dispatcher, если он установлен.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;Licence: GNU General Public License, version 3 or later (GPL-3.0-or-later).&lt;/p&gt;</source>
        <translation>&lt;p&gt;Лицензия: GNU General Public License, версия 3 или более поздняя (GPL-3.0-or-later).&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&amp;Read from other programs…</source>
        <translation>&amp;Чтение из других программ…</translation>
    </message>
    <message>
        <source>&amp;Clear list</source>
        <translation>&amp;Очистить список</translation>
    </message>
    <message>
        <source>&amp;Contents</source>
        <translation>&amp;Содержание</translation>
    </message>
</context>
<context>
    <name>vernalo::WindowPersistence</name>
    <message>
        <source>The text could not be saved automatically: %1</source>
        <translation>Не удалось автоматически сохранить текст: %1</translation>
    </message>
    <message>
        <source>Bad value for %1 in %2</source>
        <translation>Неверное значение %1 в %2</translation>
    </message>
    <message>
        <source>You have very very big problems! :)</source>
        <translation>У вас очень-очень большие проблемы! :)</translation>
    </message>
    <message>
        <source>With searching comes loss And the presence of absence: </source>
        <translation>С поиском приходит утрата, И присутствие отсутствия: </translation>
    </message>
</context>
</TS>
