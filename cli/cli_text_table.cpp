// The texts vantorel-cli prints, one row per locale, in the order of kLocaleCodes.
// The left parts of command and option lines, "on/off", "install", "list",
// "Windows Update", "Windows" and the exit-code numbers are what the user types
// or sees elsewhere, so they stay as they are in every language.
#include "cli/cli_text_table.h"

const CliTextRow kCliTextTable[kLocaleCount] = {
    // en-US
    {L"en-US",
     L"Vantorel command line\n"
     L"\n"
     L"  vantorel-cli list                 everything it can run, by the names to use\n"
     L"  vantorel-cli run \"<routine>\"      run one of your saved routines\n"
     L"  vantorel-cli fix [<step> ...]     run Fix: its three everyday steps, or the steps you name\n"
     L"  vantorel-cli set <name> <state>   change switches and settings: on/off, or a setting's own states\n"
     L"  vantorel-cli get [<name>]         show the switches and settings, and how each is set now\n"
     L"  vantorel-cli drivers [install]    newer drivers from Windows Update; install installs them\n"
     L"  vantorel-cli task <task> ...      run tasks by the names list shows\n"
     L"  vantorel-cli fixfile \"<file>\"     run a fix file\n"
     L"\n"
     L"  --dry-run   show what would run, in order, and run nothing\n"
     L"  --yes       needed for tasks that change Windows, and for fix files\n"
     L"\n"
     L"Windows asks for administrator rights, unless this terminal already has them.\n"
     L"Exit codes: 0 done, 1 a step did not finish cleanly, 2 not understood, 4 Vantorel could not run.",
     L"Vantorel could not be started.",
     L"Nothing was run: Windows was not given administrator rights.",
     L"Vantorel stopped before it finished.",
     L"Stopped. The remaining steps were not run."},
    // ar-SA
    {L"ar-SA",
     L"سطر أوامر Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 كل ما يمكن تشغيله، مع الأسماء التي يجب استخدامها\n"
     L"  vantorel-cli run \"<routine>\"      تشغيل أحد الإجراءات الروتينية التي حفظتها\n"
     L"  vantorel-cli fix [<step> ...]     تشغيل الإصلاح: خطواته اليومية الثلاث، أو الخطوات التي تحددها\n"
     L"  vantorel-cli set <name> <state>   تغيير مفاتيح التبديل والإعدادات: on/off، أو الحالات الخاصة بكل إعداد\n"
     L"  vantorel-cli get [<name>]         عرض مفاتيح التبديل والإعدادات، والقيمة الحالية لكل منها\n"
     L"  vantorel-cli drivers [install]    برامج تشغيل أحدث من Windows Update؛ والأمر install يثبّتها\n"
     L"  vantorel-cli task <task> ...      تشغيل المهام بالأسماء التي يعرضها الأمر list\n"
     L"  vantorel-cli fixfile \"<file>\"     تشغيل ملف إصلاح\n"
     L"\n"
     L"  --dry-run   عرض ما سيتم تشغيله، بالترتيب، دون تشغيل أي شيء\n"
     L"  --yes       مطلوب للمهام التي تغيّر Windows، ولملفات الإصلاح\n"
     L"\n"
     L"يطلب Windows حقوق المسؤول، ما لم تكن هذه المحطة الطرفية تملكها بالفعل.\n"
     L"رموز الخروج: 0 اكتمل, 1 خطوة لم تكتمل بشكل سليم, 2 لم يتم فهم الأمر, 4 تعذّر تشغيل Vantorel.",
     L"تعذّر بدء تشغيل Vantorel.",
     L"لم يتم تشغيل أي شيء: لم يتم منح Windows حقوق المسؤول.",
     L"توقف Vantorel قبل أن ينتهي.",
     L"تم الإيقاف. لم يتم تشغيل الخطوات المتبقية."},
    // bg-BG
    {L"bg-BG",
     L"Команден ред на Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 всичко, което може да се изпълни, с имената, които да използвате\n"
     L"  vantorel-cli run \"<routine>\"      изпълнява една от запазените ви рутини\n"
     L"  vantorel-cli fix [<step> ...]     изпълнява Поправка: трите ѝ ежедневни стъпки или стъпките, които посочите\n"
     L"  vantorel-cli set <name> <state>   променя превключватели и настройки: on/off или собствените състояния на настройката\n"
     L"  vantorel-cli get [<name>]         показва превключвателите и настройките и текущата стойност на всеки от тях\n"
     L"  vantorel-cli drivers [install]    по-нови драйвери от Windows Update; install ги инсталира\n"
     L"  vantorel-cli task <task> ...      изпълнява задачи по имената, които показва list\n"
     L"  vantorel-cli fixfile \"<file>\"     изпълнява файл за поправка\n"
     L"\n"
     L"  --dry-run   показва какво ще се изпълни и в какъв ред, без да изпълнява нищо\n"
     L"  --yes       изисква се за задачи, които променят Windows, и за файлове за поправка\n"
     L"\n"
     L"Windows ще поиска права на администратор, освен ако този терминал вече ги има.\n"
     L"Кодове за изход: 0 готово, 1 стъпка не завърши без грешки, 2 командата не е разбрана, 4 Vantorel не можа да се изпълни.",
     L"Vantorel не можа да бъде стартиран.",
     L"Нищо не беше изпълнено: на Windows не бяха дадени права на администратор.",
     L"Vantorel спря, преди да завърши.",
     L"Спряно. Останалите стъпки не бяха изпълнени."},
    // bn-BD
    {L"bn-BD",
     L"Vantorel কমান্ড লাইন\n"
     L"\n"
     L"  vantorel-cli list                 চালানো যায় এমন সবকিছু, যে নামে ব্যবহার করতে হবে সেই নামসহ\n"
     L"  vantorel-cli run \"<routine>\"      আপনার সংরক্ষিত রুটিনগুলোর একটি চালায়\n"
     L"  vantorel-cli fix [<step> ...]     মেরামত চালায়: এর তিনটি নিত্যদিনের ধাপ, অথবা আপনার উল্লেখ করা ধাপগুলো\n"
     L"  vantorel-cli set <name> <state>   সুইচ ও সেটিংস পরিবর্তন করে: on/off, অথবা কোনো সেটিংয়ের নিজস্ব অবস্থা\n"
     L"  vantorel-cli get [<name>]         সুইচ ও সেটিংস এবং প্রতিটি এখন কীভাবে সেট করা আছে তা দেখায়\n"
     L"  vantorel-cli drivers [install]    Windows Update থেকে নতুন ড্রাইভার; install সেগুলো ইনস্টল করে\n"
     L"  vantorel-cli task <task> ...      list যে নামগুলো দেখায় সেই নামে কাজ চালায়\n"
     L"  vantorel-cli fixfile \"<file>\"     একটি মেরামত ফাইল চালায়\n"
     L"\n"
     L"  --dry-run   কী কী চলবে তা ক্রমানুসারে দেখায়, কিছুই চালায় না\n"
     L"  --yes       যেসব কাজ Windows পরিবর্তন করে সেগুলোর জন্য এবং মেরামত ফাইলের জন্য প্রয়োজন\n"
     L"\n"
     L"Windows প্রশাসকের অধিকার চাইবে, যদি না এই টার্মিনালের আগে থেকেই তা থাকে।\n"
     L"প্রস্থান কোড: 0 সম্পন্ন, 1 একটি ধাপ ঠিকভাবে শেষ হয়নি, 2 বোঝা যায়নি, 4 Vantorel চালানো যায়নি.",
     L"Vantorel শুরু করা যায়নি।",
     L"কিছুই চালানো হয়নি: Windows-কে প্রশাসকের অধিকার দেওয়া হয়নি।",
     L"Vantorel শেষ হওয়ার আগেই থেমে গেছে।",
     L"থামানো হয়েছে। বাকি ধাপগুলো চালানো হয়নি।"},
    // cs-CZ
    {L"cs-CZ",
     L"Příkazový řádek aplikace Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 vše, co lze spustit, s názvy, které se mají použít\n"
     L"  vantorel-cli run \"<routine>\"      spustí jednu z vašich uložených rutin\n"
     L"  vantorel-cli fix [<step> ...]     spustí Opravu: její tři běžné kroky nebo kroky, které zadáte\n"
     L"  vantorel-cli set <name> <state>   změní přepínače a nastavení: on/off nebo vlastní stavy daného nastavení\n"
     L"  vantorel-cli get [<name>]         zobrazí přepínače a nastavení a aktuální hodnotu každého z nich\n"
     L"  vantorel-cli drivers [install]    novější ovladače ze služby Windows Update; install je nainstaluje\n"
     L"  vantorel-cli task <task> ...      spustí úlohy podle názvů, které zobrazí list\n"
     L"  vantorel-cli fixfile \"<file>\"     spustí soubor oprav\n"
     L"\n"
     L"  --dry-run   zobrazí, co by se spustilo a v jakém pořadí, a nic nespustí\n"
     L"  --yes       vyžaduje se pro úlohy, které mění systém Windows, a pro soubory oprav\n"
     L"\n"
     L"Systém Windows požádá o oprávnění správce, pokud je tento terminál ještě nemá.\n"
     L"Návratové kódy: 0 hotovo, 1 některý krok neproběhl bez chyb, 2 příkaz nebyl rozpoznán, 4 Vantorel nebylo možné spustit.",
     L"Vantorel se nepodařilo spustit.",
     L"Nic nebylo spuštěno: systém Windows nedostal oprávnění správce.",
     L"Vantorel se zastavil před dokončením.",
     L"Zastaveno. Zbývající kroky nebyly spuštěny."},
    // da-DK
    {L"da-DK",
     L"Vantorel-kommandolinje\n"
     L"\n"
     L"  vantorel-cli list                 alt, der kan køres, med de navne, der skal bruges\n"
     L"  vantorel-cli run \"<routine>\"      kør en af dine gemte rutiner\n"
     L"  vantorel-cli fix [<step> ...]     kør Reparation: dens tre daglige trin eller de trin, du angiver\n"
     L"  vantorel-cli set <name> <state>   skift kontakter og indstillinger: on/off eller en indstillings egne tilstande\n"
     L"  vantorel-cli get [<name>]         vis kontakter og indstillinger, og hvordan hver enkelt er indstillet nu\n"
     L"  vantorel-cli drivers [install]    nyere drivere fra Windows Update; install installerer dem\n"
     L"  vantorel-cli task <task> ...      kør opgaver ud fra de navne, list viser\n"
     L"  vantorel-cli fixfile \"<file>\"     kør en reparationsfil\n"
     L"\n"
     L"  --dry-run   vis, hvad der ville blive kørt, i rækkefølge, og kør intet\n"
     L"  --yes       påkrævet for opgaver, der ændrer Windows, og for reparationsfiler\n"
     L"\n"
     L"Windows beder om administratorrettigheder, medmindre denne terminal allerede har dem.\n"
     L"Afslutningskoder: 0 færdig, 1 et trin blev ikke fuldført korrekt, 2 ikke forstået, 4 Vantorel kunne ikke køre.",
     L"Vantorel kunne ikke startes.",
     L"Intet blev kørt: Windows fik ikke administratorrettigheder.",
     L"Vantorel stoppede, før det var færdigt.",
     L"Stoppet. De resterende trin blev ikke kørt."},
    // de-DE
    {L"de-DE",
     L"Vantorel-Befehlszeile\n"
     L"\n"
     L"  vantorel-cli list                 alles, was ausgeführt werden kann, mit den zu verwendenden Namen\n"
     L"  vantorel-cli run \"<routine>\"      eine Ihrer gespeicherten Routinen ausführen\n"
     L"  vantorel-cli fix [<step> ...]     Reparatur ausführen: ihre drei alltäglichen Schritte oder die von Ihnen genannten Schritte\n"
     L"  vantorel-cli set <name> <state>   Schalter und Einstellungen ändern: on/off oder die eigenen Zustände einer Einstellung\n"
     L"  vantorel-cli get [<name>]         Schalter und Einstellungen anzeigen, jeweils mit dem aktuellen Stand\n"
     L"  vantorel-cli drivers [install]    neuere Treiber über Windows Update; install installiert sie\n"
     L"  vantorel-cli task <task> ...      Aufgaben unter den Namen ausführen, die list anzeigt\n"
     L"  vantorel-cli fixfile \"<file>\"     eine Reparaturdatei ausführen\n"
     L"\n"
     L"  --dry-run   anzeigen, was in welcher Reihenfolge ausgeführt würde, ohne etwas auszuführen\n"
     L"  --yes       erforderlich für Aufgaben, die Windows ändern, und für Reparaturdateien\n"
     L"\n"
     L"Windows fragt nach Administratorrechten, sofern dieses Terminal sie nicht bereits hat.\n"
     L"Exitcodes: 0 fertig, 1 ein Schritt wurde nicht sauber abgeschlossen, 2 nicht verstanden, 4 Vantorel konnte nicht ausgeführt werden.",
     L"Vantorel konnte nicht gestartet werden.",
     L"Nichts wurde ausgeführt: Windows wurden keine Administratorrechte erteilt.",
     L"Vantorel wurde beendet, bevor es fertig war.",
     L"Angehalten. Die übrigen Schritte wurden nicht ausgeführt."},
    // el-GR
    {L"el-GR",
     L"Γραμμή εντολών του Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 ό,τι μπορεί να εκτελεστεί, με τα ονόματα που πρέπει να χρησιμοποιηθούν\n"
     L"  vantorel-cli run \"<routine>\"      εκτέλεση μίας από τις αποθηκευμένες ρουτίνες σας\n"
     L"  vantorel-cli fix [<step> ...]     εκτέλεση της Επιδιόρθωσης: τα τρία καθημερινά της βήματα ή τα βήματα που ορίζετε\n"
     L"  vantorel-cli set <name> <state>   αλλαγή διακοπτών και ρυθμίσεων: on/off ή οι καταστάσεις που διαθέτει κάθε ρύθμιση\n"
     L"  vantorel-cli get [<name>]         εμφάνιση διακοπτών και ρυθμίσεων, με την τρέχουσα κατάσταση του καθενός\n"
     L"  vantorel-cli drivers [install]    νεότερα προγράμματα οδήγησης από το Windows Update· το install τα εγκαθιστά\n"
     L"  vantorel-cli task <task> ...      εκτέλεση εργασιών με τα ονόματα που εμφανίζει το list\n"
     L"  vantorel-cli fixfile \"<file>\"     εκτέλεση αρχείου επιδιόρθωσης\n"
     L"\n"
     L"  --dry-run   εμφάνιση όσων θα εκτελούνταν, με τη σειρά, χωρίς να εκτελεστεί τίποτα\n"
     L"  --yes       απαιτείται για εργασίες που αλλάζουν τα Windows και για αρχεία επιδιόρθωσης\n"
     L"\n"
     L"Τα Windows ζητούν δικαιώματα διαχειριστή, εκτός αν αυτό το τερματικό τα έχει ήδη.\n"
     L"Κωδικοί εξόδου: 0 ολοκληρώθηκε, 1 κάποιο βήμα δεν ολοκληρώθηκε σωστά, 2 δεν έγινε κατανοητό, 4 δεν ήταν δυνατή η εκτέλεση του Vantorel.",
     L"Δεν ήταν δυνατή η εκκίνηση του Vantorel.",
     L"Δεν εκτελέστηκε τίποτα: δεν δόθηκαν δικαιώματα διαχειριστή στα Windows.",
     L"Το Vantorel σταμάτησε πριν ολοκληρωθεί.",
     L"Διακόπηκε. Τα υπόλοιπα βήματα δεν εκτελέστηκαν."},
    // es-419
    {L"es-419",
     L"Línea de comandos de Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 todo lo que se puede ejecutar, con los nombres que se deben usar\n"
     L"  vantorel-cli run \"<routine>\"      ejecuta una de sus rutinas guardadas\n"
     L"  vantorel-cli fix [<step> ...]     ejecuta Reparar: sus tres pasos de uso diario o los pasos que indique\n"
     L"  vantorel-cli set <name> <state>   cambia interruptores y configuraciones: on/off o los estados propios de cada configuración\n"
     L"  vantorel-cli get [<name>]         muestra los interruptores y configuraciones, y cómo está definido cada uno ahora\n"
     L"  vantorel-cli drivers [install]    controladores más recientes de Windows Update; install los instala\n"
     L"  vantorel-cli task <task> ...      ejecuta tareas según los nombres que muestra list\n"
     L"  vantorel-cli fixfile \"<file>\"     ejecuta un archivo de reparación\n"
     L"\n"
     L"  --dry-run   muestra lo que se ejecutaría, en orden, sin ejecutar nada\n"
     L"  --yes       requerido para tareas que modifican Windows y para archivos de reparación\n"
     L"\n"
     L"Windows solicita permisos de administrador, a menos que esta terminal ya los tenga.\n"
     L"Códigos de salida: 0 listo, 1 algún paso no terminó correctamente, 2 no se entendió, 4 Vantorel no pudo ejecutarse.",
     L"No se pudo iniciar Vantorel.",
     L"No se ejecutó nada: Windows no recibió permisos de administrador.",
     L"Vantorel se detuvo antes de terminar.",
     L"Detenido. Los pasos restantes no se ejecutaron."},
    // es-ES
    {L"es-ES",
     L"Línea de comandos de Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 todo lo que se puede ejecutar, con los nombres que hay que usar\n"
     L"  vantorel-cli run \"<routine>\"      ejecuta una de tus rutinas guardadas\n"
     L"  vantorel-cli fix [<step> ...]     ejecuta Reparar: sus tres pasos cotidianos o los pasos que indiques\n"
     L"  vantorel-cli set <name> <state>   cambia interruptores y ajustes: on/off o los estados propios de cada ajuste\n"
     L"  vantorel-cli get [<name>]         muestra los interruptores y ajustes, y cómo está configurado cada uno ahora\n"
     L"  vantorel-cli drivers [install]    controladores más recientes de Windows Update; install los instala\n"
     L"  vantorel-cli task <task> ...      ejecuta tareas con los nombres que muestra list\n"
     L"  vantorel-cli fixfile \"<file>\"     ejecuta un archivo de reparación\n"
     L"\n"
     L"  --dry-run   muestra lo que se ejecutaría, en orden, sin ejecutar nada\n"
     L"  --yes       necesario para tareas que modifican Windows y para archivos de reparación\n"
     L"\n"
     L"Windows pide permisos de administrador, salvo que este terminal ya los tenga.\n"
     L"Códigos de salida: 0 hecho, 1 algún paso no terminó correctamente, 2 no se entendió, 4 Vantorel no pudo ejecutarse.",
     L"No se pudo iniciar Vantorel.",
     L"No se ejecutó nada: Windows no recibió permisos de administrador.",
     L"Vantorel se detuvo antes de terminar.",
     L"Detenido. Los pasos restantes no se ejecutaron."},
    // et-EE
    {L"et-EE",
     L"Vantoreli käsurida\n"
     L"\n"
     L"  vantorel-cli list                 kõik, mida saab käivitada, koos kasutatavate nimedega\n"
     L"  vantorel-cli run \"<routine>\"      käivitab ühe teie salvestatud rutiinidest\n"
     L"  vantorel-cli fix [<step> ...]     käivitab Paranduse: selle kolm igapäevast sammu või teie määratud sammud\n"
     L"  vantorel-cli set <name> <state>   muudab lüliteid ja sätteid: on/off või sätte enda olekud\n"
     L"  vantorel-cli get [<name>]         kuvab lülitid ja sätted ning nende praegused väärtused\n"
     L"  vantorel-cli drivers [install]    uuemad draiverid teenusest Windows Update; install installib need\n"
     L"  vantorel-cli task <task> ...      käivitab tegumid nimede järgi, mida list kuvab\n"
     L"  vantorel-cli fixfile \"<file>\"     käivitab parandusfaili\n"
     L"\n"
     L"  --dry-run   kuvab, mida ja mis järjekorras käivitataks, käivitamata midagi\n"
     L"  --yes       nõutav Windowsi muutvate tegumite ja parandusfailide puhul\n"
     L"\n"
     L"Windows küsib administraatoriõigusi, kui sellel terminalil neid juba pole.\n"
     L"Väljumiskoodid: 0 valmis, 1 mõni samm ei lõppenud korralikult, 2 ei mõistetud, 4 Vantorelit ei saanud käivitada.",
     L"Vantorelit ei saanud käivitada.",
     L"Midagi ei käivitatud: Windows ei saanud administraatoriõigusi.",
     L"Vantorel peatus enne lõpetamist.",
     L"Peatatud. Ülejäänud samme ei käivitatud."},
    // fa-IR
    {L"fa-IR",
     L"خط فرمان Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 هر آنچه می‌توان اجرا کرد، با نام‌هایی که باید به کار برد\n"
     L"  vantorel-cli run \"<routine>\"      اجرای یکی از روال‌های ذخیره‌شدهٔ شما\n"
     L"  vantorel-cli fix [<step> ...]     اجرای تعمیر: سه مرحلهٔ روزمرهٔ آن یا مرحله‌هایی که نام می‌برید\n"
     L"  vantorel-cli set <name> <state>   تغییر کلیدها و تنظیمات: on/off یا حالت‌های خاص هر تنظیم\n"
     L"  vantorel-cli get [<name>]         نمایش کلیدها و تنظیمات و اینکه هرکدام اکنون چگونه تنظیم شده است\n"
     L"  vantorel-cli drivers [install]    درایورهای جدیدتر از Windows Update؛ install آن‌ها را نصب می‌کند\n"
     L"  vantorel-cli task <task> ...      اجرای کارها با نام‌هایی که list نشان می‌دهد\n"
     L"  vantorel-cli fixfile \"<file>\"     اجرای یک فایل تعمیر\n"
     L"\n"
     L"  --dry-run   نمایش آنچه به ترتیب اجرا خواهد شد، بدون اجرای هیچ چیز\n"
     L"  --yes       برای کارهایی که Windows را تغییر می‌دهند و برای فایل‌های تعمیر لازم است\n"
     L"\n"
     L"Windows حقوق سرپرست را درخواست می‌کند، مگر اینکه این پایانه از قبل آن‌ها را داشته باشد.\n"
     L"کدهای خروج: 0 انجام شد, 1 یک مرحله به‌درستی تمام نشد, 2 درک نشد, 4 Vantorel نتوانست اجرا شود.",
     L"راه‌اندازی Vantorel ممکن نبود.",
     L"هیچ چیز اجرا نشد: حقوق سرپرست به Windows داده نشد.",
     L"Vantorel پیش از پایان کار متوقف شد.",
     L"متوقف شد. مراحل باقی‌مانده اجرا نشدند."},
    // fi-FI
    {L"fi-FI",
     L"Vantorelin komentorivi\n"
     L"\n"
     L"  vantorel-cli list                 kaikki, mitä voi suorittaa, ja käytettävät nimet\n"
     L"  vantorel-cli run \"<routine>\"      suorittaa yhden tallennetuista rutiineistasi\n"
     L"  vantorel-cli fix [<step> ...]     suorittaa Korjauksen: sen kolme tavallista vaihetta tai nimeämäsi vaiheet\n"
     L"  vantorel-cli set <name> <state>   muuttaa kytkimiä ja asetuksia: on/off tai asetuksen omat tilat\n"
     L"  vantorel-cli get [<name>]         näyttää kytkimet ja asetukset sekä kunkin nykyisen tilan\n"
     L"  vantorel-cli drivers [install]    uudemmat ohjaimet Windows Update -palvelusta; install asentaa ne\n"
     L"  vantorel-cli task <task> ...      suorittaa tehtäviä nimillä, jotka list näyttää\n"
     L"  vantorel-cli fixfile \"<file>\"     suorittaa korjaustiedoston\n"
     L"\n"
     L"  --dry-run   näyttää, mitä suoritettaisiin ja missä järjestyksessä, suorittamatta mitään\n"
     L"  --yes       vaaditaan Windowsia muuttaviin tehtäviin ja korjaustiedostoihin\n"
     L"\n"
     L"Windows pyytää järjestelmänvalvojan oikeuksia, ellei tällä päätteellä ole niitä jo.\n"
     L"Lopetuskoodit: 0 valmis, 1 jokin vaihe ei päättynyt ongelmitta, 2 ei ymmärretty, 4 Vantorelia ei voitu suorittaa.",
     L"Vantorelia ei voitu käynnistää.",
     L"Mitään ei suoritettu: Windows ei saanut järjestelmänvalvojan oikeuksia.",
     L"Vantorel pysähtyi ennen kuin se oli valmis.",
     L"Pysäytetty. Jäljellä olevia vaiheita ei suoritettu."},
    // fil-PH
    {L"fil-PH",
     L"Linya ng utos ng Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 lahat ng kaya nitong patakbuhin, kasama ang mga pangalang gagamitin\n"
     L"  vantorel-cli run \"<routine>\"      patakbuhin ang isa sa iyong mga naka-save na rutina\n"
     L"  vantorel-cli fix [<step> ...]     patakbuhin ang Ayusin: ang tatlong pang-araw-araw na hakbang nito, o ang mga hakbang na tinukoy mo\n"
     L"  vantorel-cli set <name> <state>   baguhin ang mga switch at setting: on/off, o ang sariling mga estado ng isang setting\n"
     L"  vantorel-cli get [<name>]         ipakita ang mga switch at setting, at kung paano nakatakda ang bawat isa ngayon\n"
     L"  vantorel-cli drivers [install]    mas bagong mga driver mula sa Windows Update; ini-install ng install ang mga ito\n"
     L"  vantorel-cli task <task> ...      patakbuhin ang mga gawain ayon sa mga pangalang ipinapakita ng list\n"
     L"  vantorel-cli fixfile \"<file>\"     patakbuhin ang isang file ng pag-aayos\n"
     L"\n"
     L"  --dry-run   ipakita kung ano ang tatakbo, ayon sa pagkakasunod-sunod, nang walang pinapatakbo\n"
     L"  --yes       kailangan para sa mga gawaing nagbabago sa Windows, at para sa mga file ng pag-aayos\n"
     L"\n"
     L"Hihingi ang Windows ng mga karapatan ng administrator, maliban kung mayroon na ng mga ito ang terminal na ito.\n"
     L"Mga code ng paglabas: 0 tapos na, 1 may hakbang na hindi natapos nang maayos, 2 hindi naintindihan, 4 hindi mapatakbo ang Vantorel.",
     L"Hindi masimulan ang Vantorel.",
     L"Walang pinatakbo: hindi binigyan ng mga karapatan ng administrator ang Windows.",
     L"Huminto ang Vantorel bago ito natapos.",
     L"Itinigil. Hindi pinatakbo ang mga natitirang hakbang."},
    // fr-FR
    {L"fr-FR",
     L"Ligne de commande Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 tout ce qui peut être exécuté, avec les noms à utiliser\n"
     L"  vantorel-cli run \"<routine>\"      exécute l'une de vos routines enregistrées\n"
     L"  vantorel-cli fix [<step> ...]     exécute Réparer : ses trois étapes courantes ou les étapes que vous indiquez\n"
     L"  vantorel-cli set <name> <state>   modifie les commutateurs et paramètres : on/off ou les états propres à un paramètre\n"
     L"  vantorel-cli get [<name>]         affiche les commutateurs et paramètres, et la valeur actuelle de chacun\n"
     L"  vantorel-cli drivers [install]    pilotes plus récents issus de Windows Update ; install les installe\n"
     L"  vantorel-cli task <task> ...      exécute des tâches d'après les noms affichés par list\n"
     L"  vantorel-cli fixfile \"<file>\"     exécute un fichier de réparation\n"
     L"\n"
     L"  --dry-run   affiche ce qui serait exécuté, dans l'ordre, sans rien exécuter\n"
     L"  --yes       requis pour les tâches qui modifient Windows et pour les fichiers de réparation\n"
     L"\n"
     L"Windows demande des droits d'administrateur, sauf si ce terminal les possède déjà.\n"
     L"Codes de sortie : 0 terminé, 1 une étape ne s'est pas terminée correctement, 2 non compris, 4 Vantorel n'a pas pu s'exécuter.",
     L"Impossible de démarrer Vantorel.",
     L"Rien n'a été exécuté : Windows n'a pas reçu les droits d'administrateur.",
     L"Vantorel s'est arrêté avant la fin.",
     L"Arrêté. Les étapes restantes n'ont pas été exécutées."},
    // he-IL
    {L"he-IL",
     L"שורת הפקודה של Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 כל מה שניתן להפעיל, עם השמות שיש להשתמש בהם\n"
     L"  vantorel-cli run \"<routine>\"      הפעלת אחת מהשגרות השמורות שלך\n"
     L"  vantorel-cli fix [<step> ...]     הפעלת תיקון: שלושת השלבים היומיומיים שלו, או השלבים שתציין\n"
     L"  vantorel-cli set <name> <state>   שינוי מתגים והגדרות: on/off, או המצבים הייחודיים של הגדרה\n"
     L"  vantorel-cli get [<name>]         הצגת המתגים וההגדרות, וכיצד כל אחד מהם מוגדר כעת\n"
     L"  vantorel-cli drivers [install]    מנהלי התקנים חדשים יותר מ-Windows Update; install מתקין אותם\n"
     L"  vantorel-cli task <task> ...      הפעלת משימות לפי השמות ש-list מציג\n"
     L"  vantorel-cli fixfile \"<file>\"     הפעלת קובץ תיקון\n"
     L"\n"
     L"  --dry-run   הצגת מה שיופעל, לפי הסדר, בלי להפעיל דבר\n"
     L"  --yes       נדרש למשימות שמשנות את Windows, ולקובצי תיקון\n"
     L"\n"
     L"Windows מבקש הרשאות מנהל, אלא אם כן כבר יש למסוף זה הרשאות כאלה.\n"
     L"קודי יציאה: 0 הושלם, 1 שלב לא הסתיים כראוי, 2 לא הובן, 4 Vantorel לא הצליח לפעול.",
     L"לא ניתן היה להפעיל את Vantorel.",
     L"לא הופעל דבר: Windows לא קיבל הרשאות מנהל.",
     L"Vantorel נעצר לפני שסיים.",
     L"הופסק. השלבים הנותרים לא הופעלו."},
    // hi-IN
    {L"hi-IN",
     L"Vantorel कमांड लाइन\n"
     L"\n"
     L"  vantorel-cli list                 वह सब कुछ जो चलाया जा सकता है, उपयोग किए जाने वाले नामों के साथ\n"
     L"  vantorel-cli run \"<routine>\"      अपने सहेजे गए रूटीन में से एक चलाएँ\n"
     L"  vantorel-cli fix [<step> ...]     सुधार चलाएँ: इसके तीन रोज़मर्रा के चरण, या आपके बताए गए चरण\n"
     L"  vantorel-cli set <name> <state>   स्विच और सेटिंग्स बदलें: on/off, या किसी सेटिंग की अपनी स्थितियाँ\n"
     L"  vantorel-cli get [<name>]         स्विच और सेटिंग्स दिखाएँ, और यह कि प्रत्येक अभी कैसे सेट है\n"
     L"  vantorel-cli drivers [install]    Windows Update से नए ड्राइवर; install उन्हें इंस्टॉल करता है\n"
     L"  vantorel-cli task <task> ...      list द्वारा दिखाए गए नामों से कार्य चलाएँ\n"
     L"  vantorel-cli fixfile \"<file>\"     सुधार फ़ाइल चलाएँ\n"
     L"\n"
     L"  --dry-run   दिखाएँ कि क्रम से क्या चलेगा, पर कुछ भी न चलाएँ\n"
     L"  --yes       Windows को बदलने वाले कार्यों और सुधार फ़ाइलों के लिए आवश्यक\n"
     L"\n"
     L"Windows व्यवस्थापक अधिकार माँगता है, जब तक कि इस टर्मिनल के पास वे पहले से न हों।\n"
     L"निकास कोड: 0 पूर्ण, 1 कोई चरण ठीक से पूरा नहीं हुआ, 2 समझा नहीं गया, 4 Vantorel नहीं चल सका.",
     L"Vantorel प्रारंभ नहीं किया जा सका।",
     L"कुछ भी नहीं चलाया गया: Windows को व्यवस्थापक अधिकार नहीं दिए गए।",
     L"Vantorel पूरा होने से पहले रुक गया।",
     L"रोका गया। शेष चरण नहीं चलाए गए।"},
    // hr-HR
    {L"hr-HR",
     L"Naredbeni redak za Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 sve što se može pokrenuti, s nazivima koje treba upotrijebiti\n"
     L"  vantorel-cli run \"<routine>\"      pokreće jednu od vaših spremljenih rutina\n"
     L"  vantorel-cli fix [<step> ...]     pokreće Popravak: njegova tri svakodnevna koraka ili korake koje navedete\n"
     L"  vantorel-cli set <name> <state>   mijenja prekidače i postavke: on/off ili vlastita stanja pojedine postavke\n"
     L"  vantorel-cli get [<name>]         prikazuje prekidače i postavke te trenutačnu vrijednost svakog od njih\n"
     L"  vantorel-cli drivers [install]    noviji upravljački programi putem servisa Windows Update; install ih instalira\n"
     L"  vantorel-cli task <task> ...      pokreće zadatke prema nazivima koje prikazuje list\n"
     L"  vantorel-cli fixfile \"<file>\"     pokreće datoteku popravaka\n"
     L"\n"
     L"  --dry-run   prikazuje što bi se pokrenulo i kojim redoslijedom, a ne pokreće ništa\n"
     L"  --yes       potrebno za zadatke koji mijenjaju Windows i za datoteke popravaka\n"
     L"\n"
     L"Windows traži administratorska prava, osim ako ih ovaj terminal već ima.\n"
     L"Izlazni kodovi: 0 gotovo, 1 neki korak nije uredno završen, 2 nije prepoznato, 4 Vantorel se nije mogao izvršiti.",
     L"Vantorel se nije mogao pokrenuti.",
     L"Ništa nije pokrenuto: sustavu Windows nisu dodijeljena administratorska prava.",
     L"Vantorel se zaustavio prije završetka.",
     L"Zaustavljeno. Preostali koraci nisu pokrenuti."},
    // hu-HU
    {L"hu-HU",
     L"Vantorel parancssor\n"
     L"\n"
     L"  vantorel-cli list                 minden, ami futtatható, a használandó nevekkel\n"
     L"  vantorel-cli run \"<routine>\"      az egyik mentett rutin futtatása\n"
     L"  vantorel-cli fix [<step> ...]     a Javítás futtatása: annak három mindennapi lépése vagy a megadott lépések\n"
     L"  vantorel-cli set <name> <state>   kapcsolók és beállítások módosítása: on/off vagy egy beállítás saját állapotai\n"
     L"  vantorel-cli get [<name>]         a kapcsolók és beállítások, valamint jelenlegi értékük megjelenítése\n"
     L"  vantorel-cli drivers [install]    újabb illesztőprogramok a Windows Update szolgáltatásból; az install telepíti őket\n"
     L"  vantorel-cli task <task> ...      feladatok futtatása a list által megjelenített nevek alapján\n"
     L"  vantorel-cli fixfile \"<file>\"     javítófájl futtatása\n"
     L"\n"
     L"  --dry-run   annak megjelenítése, hogy mi és milyen sorrendben futna, futtatás nélkül\n"
     L"  --yes       a Windowst módosító feladatokhoz és a javítófájlokhoz szükséges\n"
     L"\n"
     L"A Windows rendszergazdai jogokat kér, kivéve, ha ez a terminál már rendelkezik velük.\n"
     L"Kilépési kódok: 0 kész, 1 egy lépés nem fejeződött be hibátlanul, 2 nem értelmezhető, 4 a Vantorel nem tudott futni.",
     L"Nem sikerült elindítani a Vantorelt.",
     L"Semmi sem futott: a Windows nem kapott rendszergazdai jogokat.",
     L"A Vantorel leállt, mielőtt befejeződött volna.",
     L"Leállítva. A hátralévő lépések nem futottak le."},
    // id-ID
    {L"id-ID",
     L"Baris perintah Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 semua yang dapat dijalankan, beserta nama yang harus digunakan\n"
     L"  vantorel-cli run \"<routine>\"      menjalankan salah satu rutinitas tersimpan Anda\n"
     L"  vantorel-cli fix [<step> ...]     menjalankan Perbaiki: tiga langkah sehari-harinya, atau langkah yang Anda sebutkan\n"
     L"  vantorel-cli set <name> <state>   mengubah sakelar dan pengaturan: on/off, atau status khusus suatu pengaturan\n"
     L"  vantorel-cli get [<name>]         menampilkan sakelar dan pengaturan, serta cara masing-masing diatur saat ini\n"
     L"  vantorel-cli drivers [install]    driver yang lebih baru dari Windows Update; install akan menginstalnya\n"
     L"  vantorel-cli task <task> ...      menjalankan tugas berdasarkan nama yang ditampilkan list\n"
     L"  vantorel-cli fixfile \"<file>\"     menjalankan file perbaikan\n"
     L"\n"
     L"  --dry-run   menampilkan apa yang akan dijalankan, secara berurutan, tanpa menjalankan apa pun\n"
     L"  --yes       diperlukan untuk tugas yang mengubah Windows, dan untuk file perbaikan\n"
     L"\n"
     L"Windows meminta hak administrator, kecuali terminal ini sudah memilikinya.\n"
     L"Kode keluar: 0 selesai, 1 ada langkah yang tidak selesai dengan baik, 2 tidak dipahami, 4 Vantorel tidak dapat berjalan.",
     L"Vantorel tidak dapat dimulai.",
     L"Tidak ada yang dijalankan: Windows tidak diberi hak administrator.",
     L"Vantorel berhenti sebelum selesai.",
     L"Dihentikan. Langkah yang tersisa tidak dijalankan."},
    // it-IT
    {L"it-IT",
     L"Riga di comando di Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 tutto ciò che può essere eseguito, con i nomi da usare\n"
     L"  vantorel-cli run \"<routine>\"      esegue una delle routine salvate\n"
     L"  vantorel-cli fix [<step> ...]     esegue Ripara: i suoi tre passaggi quotidiani o i passaggi indicati\n"
     L"  vantorel-cli set <name> <state>   modifica interruttori e impostazioni: on/off o gli stati propri di un'impostazione\n"
     L"  vantorel-cli get [<name>]         mostra interruttori e impostazioni e il valore attuale di ciascuno\n"
     L"  vantorel-cli drivers [install]    driver più recenti da Windows Update; install li installa\n"
     L"  vantorel-cli task <task> ...      esegue le attività con i nomi mostrati da list\n"
     L"  vantorel-cli fixfile \"<file>\"     esegue un file di riparazione\n"
     L"\n"
     L"  --dry-run   mostra cosa verrebbe eseguito, in ordine, senza eseguire nulla\n"
     L"  --yes       necessario per le attività che modificano Windows e per i file di riparazione\n"
     L"\n"
     L"Windows chiede i diritti di amministratore, a meno che questo terminale non li abbia già.\n"
     L"Codici di uscita: 0 completato, 1 un passaggio non è terminato correttamente, 2 non compreso, 4 non è stato possibile eseguire Vantorel.",
     L"Impossibile avviare Vantorel.",
     L"Non è stato eseguito nulla: a Windows non sono stati concessi i diritti di amministratore.",
     L"Vantorel si è interrotto prima di terminare.",
     L"Interrotto. I passaggi rimanenti non sono stati eseguiti."},
    // ja-JP
    {L"ja-JP",
     L"Vantorel コマンド ライン\n"
     L"\n"
     L"  vantorel-cli list                 実行できるものすべてと、指定に使う名前\n"
     L"  vantorel-cli run \"<routine>\"      保存したルーチンを 1 つ実行\n"
     L"  vantorel-cli fix [<step> ...]     修復を実行: 日常的な 3 つのステップ、または指定したステップ\n"
     L"  vantorel-cli set <name> <state>   スイッチと設定を変更: on/off、または各設定固有の状態\n"
     L"  vantorel-cli get [<name>]         スイッチと設定、およびそれぞれの現在の状態を表示\n"
     L"  vantorel-cli drivers [install]    Windows Update の新しいドライバーを表示、install でインストール\n"
     L"  vantorel-cli task <task> ...      list で表示される名前でタスクを実行\n"
     L"  vantorel-cli fixfile \"<file>\"     修復ファイルを実行\n"
     L"\n"
     L"  --dry-run   実行される内容を順番に表示し、何も実行しない\n"
     L"  --yes       Windows を変更するタスクと修復ファイルに必要\n"
     L"\n"
     L"このターミナルに管理者権限がない場合は、Windows が管理者権限を要求します。\n"
     L"終了コード: 0 完了, 1 正常に完了しなかったステップがある, 2 解釈できない, 4 Vantorel を実行できなかった.",
     L"Vantorel を起動できませんでした。",
     L"何も実行されませんでした。Windows に管理者権限が付与されませんでした。",
     L"Vantorel は完了する前に停止しました。",
     L"停止しました。残りのステップは実行されませんでした。"},
    // ko-KR
    {L"ko-KR",
     L"Vantorel 명령줄\n"
     L"\n"
     L"  vantorel-cli list                 실행할 수 있는 모든 항목과 사용할 이름\n"
     L"  vantorel-cli run \"<routine>\"      저장한 루틴 중 하나 실행\n"
     L"  vantorel-cli fix [<step> ...]     복구 실행: 세 가지 일상 단계 또는 지정한 단계\n"
     L"  vantorel-cli set <name> <state>   스위치 및 설정 변경: on/off 또는 각 설정 고유의 상태\n"
     L"  vantorel-cli get [<name>]         스위치 및 설정과 각 항목의 현재 설정 상태 표시\n"
     L"  vantorel-cli drivers [install]    Windows Update의 최신 드라이버, install을 지정하면 설치\n"
     L"  vantorel-cli task <task> ...      list에 표시되는 이름으로 작업 실행\n"
     L"  vantorel-cli fixfile \"<file>\"     복구 파일 실행\n"
     L"\n"
     L"  --dry-run   실행될 항목을 순서대로 표시하고 아무것도 실행하지 않음\n"
     L"  --yes       Windows를 변경하는 작업 및 복구 파일에 필요\n"
     L"\n"
     L"이 터미널에 관리자 권한이 아직 없으면 Windows에서 관리자 권한을 요청합니다.\n"
     L"종료 코드: 0 완료, 1 일부 단계가 정상적으로 완료되지 않음, 2 인식할 수 없음, 4 Vantorel을 실행할 수 없음.",
     L"Vantorel을 시작할 수 없습니다.",
     L"실행된 항목이 없습니다. Windows에 관리자 권한이 부여되지 않았습니다.",
     L"Vantorel이 완료되기 전에 중지되었습니다.",
     L"중지되었습니다. 나머지 단계는 실행되지 않았습니다."},
    // lt-LT
    {L"lt-LT",
     L"Vantorel komandų eilutė\n"
     L"\n"
     L"  vantorel-cli list                 viskas, ką galima paleisti, ir naudotini pavadinimai\n"
     L"  vantorel-cli run \"<routine>\"      paleisti vieną iš įrašytų procedūrų\n"
     L"  vantorel-cli fix [<step> ...]     paleisti Taisymą: tris kasdienius veiksmus arba nurodytus veiksmus\n"
     L"  vantorel-cli set <name> <state>   keisti jungiklius ir nustatymus: on/off arba konkretaus nustatymo būsenas\n"
     L"  vantorel-cli get [<name>]         rodyti jungiklius ir nustatymus bei dabartines jų reikšmes\n"
     L"  vantorel-cli drivers [install]    naujesnės tvarkyklės iš Windows Update; install jas įdiegia\n"
     L"  vantorel-cli task <task> ...      paleisti užduotis pagal pavadinimus, kuriuos rodo list\n"
     L"  vantorel-cli fixfile \"<file>\"     paleisti taisymo failą\n"
     L"\n"
     L"  --dry-run   rodyti, kas būtų paleista ir kokia tvarka, nieko nepaleidžiant\n"
     L"  --yes       būtina užduotims, kurios keičia Windows, ir taisymo failams\n"
     L"\n"
     L"Windows paprašys administratoriaus teisių, nebent šis terminalas jas jau turi.\n"
     L"Išėjimo kodai: 0 atlikta, 1 kuris nors veiksmas nebuvo tinkamai baigtas, 2 nesuprasta, 4 Vantorel negalėjo veikti.",
     L"Nepavyko paleisti Vantorel.",
     L"Nieko nepaleista: Windows nesuteiktos administratoriaus teisės.",
     L"Vantorel sustojo nebaigęs darbo.",
     L"Sustabdyta. Likę veiksmai neatlikti."},
    // lv-LV
    {L"lv-LV",
     L"Vantorel komandrinda\n"
     L"\n"
     L"  vantorel-cli list                 viss, ko var palaist, un izmantojamie nosaukumi\n"
     L"  vantorel-cli run \"<routine>\"      palaist kādu no saglabātajām procedūrām\n"
     L"  vantorel-cli fix [<step> ...]     palaist Labošanu: trīs ikdienas darbības vai norādītās darbības\n"
     L"  vantorel-cli set <name> <state>   mainīt slēdžus un iestatījumus: on/off vai konkrētā iestatījuma stāvokļus\n"
     L"  vantorel-cli get [<name>]         rādīt slēdžus un iestatījumus un katra pašreizējo vērtību\n"
     L"  vantorel-cli drivers [install]    jaunāki draiveri no Windows Update; install tos instalē\n"
     L"  vantorel-cli task <task> ...      palaist uzdevumus pēc nosaukumiem, ko parāda list\n"
     L"  vantorel-cli fixfile \"<file>\"     palaist labošanas failu\n"
     L"\n"
     L"  --dry-run   rādīt, kas tiktu palaists un kādā secībā, neko nepalaižot\n"
     L"  --yes       nepieciešams uzdevumiem, kas maina Windows, un labošanas failiem\n"
     L"\n"
     L"Windows pieprasa administratora tiesības, ja vien šim terminālim tās jau nav.\n"
     L"Izejas kodi: 0 pabeigts, 1 kāda darbība netika pabeigta korekti, 2 nav saprasts, 4 Vantorel nevarēja darboties.",
     L"Neizdevās palaist Vantorel.",
     L"Nekas netika palaists: Windows netika piešķirtas administratora tiesības.",
     L"Vantorel apstājās, pirms darbs bija pabeigts.",
     L"Apturēts. Atlikušās darbības netika izpildītas."},
    // nb-NO
    {L"nb-NO",
     L"Kommandolinje for Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 alt som kan kjøres, med navnene som skal brukes\n"
     L"  vantorel-cli run \"<routine>\"      kjør en av de lagrede rutinene dine\n"
     L"  vantorel-cli fix [<step> ...]     kjør Reparasjon: de tre hverdagstrinnene, eller trinnene du angir\n"
     L"  vantorel-cli set <name> <state>   endre brytere og innstillinger: on/off, eller innstillingens egne tilstander\n"
     L"  vantorel-cli get [<name>]         vis bryterne og innstillingene, og hvordan hver av dem er satt nå\n"
     L"  vantorel-cli drivers [install]    nyere drivere fra Windows Update; install installerer dem\n"
     L"  vantorel-cli task <task> ...      kjør oppgaver etter navnene som list viser\n"
     L"  vantorel-cli fixfile \"<file>\"     kjør en reparasjonsfil\n"
     L"\n"
     L"  --dry-run   vis hva som ville blitt kjørt, i rekkefølge, uten å kjøre noe\n"
     L"  --yes       kreves for oppgaver som endrer Windows, og for reparasjonsfiler\n"
     L"\n"
     L"Windows ber om administratorrettigheter, med mindre denne terminalen allerede har dem.\n"
     L"Avslutningskoder: 0 fullført, 1 et trinn ble ikke fullført som det skulle, 2 ikke forstått, 4 Vantorel kunne ikke kjøres.",
     L"Vantorel kunne ikke startes.",
     L"Ingenting ble kjørt: Windows fikk ikke administratorrettigheter.",
     L"Vantorel stoppet før den var ferdig.",
     L"Stoppet. De gjenstående trinnene ble ikke kjørt."},
    // nl-NL
    {L"nl-NL",
     L"Vantorel-opdrachtregel\n"
     L"\n"
     L"  vantorel-cli list                 alles wat kan worden uitgevoerd, met de te gebruiken namen\n"
     L"  vantorel-cli run \"<routine>\"      een van je opgeslagen routines uitvoeren\n"
     L"  vantorel-cli fix [<step> ...]     Herstel uitvoeren: de drie dagelijkse stappen, of de stappen die je opgeeft\n"
     L"  vantorel-cli set <name> <state>   schakelaars en instellingen wijzigen: on/off, of de eigen standen van een instelling\n"
     L"  vantorel-cli get [<name>]         de schakelaars en instellingen weergeven, en hoe elk nu is ingesteld\n"
     L"  vantorel-cli drivers [install]    nieuwere stuurprogramma's van Windows Update; install installeert ze\n"
     L"  vantorel-cli task <task> ...      taken uitvoeren met de namen die list toont\n"
     L"  vantorel-cli fixfile \"<file>\"     een herstelbestand uitvoeren\n"
     L"\n"
     L"  --dry-run   weergeven wat er zou worden uitgevoerd, in volgorde, zonder iets uit te voeren\n"
     L"  --yes       vereist voor taken die Windows wijzigen, en voor herstelbestanden\n"
     L"\n"
     L"Windows vraagt om beheerdersrechten, tenzij deze terminal ze al heeft.\n"
     L"Afsluitcodes: 0 voltooid, 1 een stap is niet goed afgerond, 2 niet begrepen, 4 Vantorel kon niet worden uitgevoerd.",
     L"Vantorel kon niet worden gestart.",
     L"Er is niets uitgevoerd: Windows heeft geen beheerdersrechten gekregen.",
     L"Vantorel is gestopt voordat het klaar was.",
     L"Gestopt. De resterende stappen zijn niet uitgevoerd."},
    // pl-PL
    {L"pl-PL",
     L"Wiersz polecenia Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 wszystko, co można uruchomić, wraz z nazwami do użycia\n"
     L"  vantorel-cli run \"<routine>\"      uruchamia jedną z zapisanych procedur\n"
     L"  vantorel-cli fix [<step> ...]     uruchamia Naprawę: trzy codzienne kroki lub wskazane kroki\n"
     L"  vantorel-cli set <name> <state>   zmienia przełączniki i ustawienia: on/off lub stany właściwe danemu ustawieniu\n"
     L"  vantorel-cli get [<name>]         wyświetla przełączniki i ustawienia oraz bieżący stan każdego z nich\n"
     L"  vantorel-cli drivers [install]    nowsze sterowniki z usługi Windows Update; install je instaluje\n"
     L"  vantorel-cli task <task> ...      uruchamia zadania według nazw wyświetlanych przez list\n"
     L"  vantorel-cli fixfile \"<file>\"     uruchamia plik naprawy\n"
     L"\n"
     L"  --dry-run   pokazuje, co zostałoby uruchomione i w jakiej kolejności, nic nie uruchamiając\n"
     L"  --yes       wymagane w przypadku zadań zmieniających system Windows oraz plików naprawy\n"
     L"\n"
     L"System Windows poprosi o uprawnienia administratora, chyba że ten terminal już je ma.\n"
     L"Kody zakończenia: 0 gotowe, 1 któryś krok nie zakończył się poprawnie, 2 nie zrozumiano polecenia, 4 nie można było uruchomić programu Vantorel.",
     L"Nie udało się uruchomić programu Vantorel.",
     L"Nic nie zostało uruchomione: system Windows nie otrzymał uprawnień administratora.",
     L"Program Vantorel zatrzymał się przed zakończeniem pracy.",
     L"Zatrzymano. Pozostałe kroki nie zostały uruchomione."},
    // pt-BR
    {L"pt-BR",
     L"Linha de comando do Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 tudo o que pode ser executado, com os nomes a usar\n"
     L"  vantorel-cli run \"<routine>\"      executar uma das suas rotinas salvas\n"
     L"  vantorel-cli fix [<step> ...]     executar a Correção: suas três etapas do dia a dia, ou as etapas que você indicar\n"
     L"  vantorel-cli set <name> <state>   alterar chaves e configurações: on/off, ou os estados próprios de cada configuração\n"
     L"  vantorel-cli get [<name>]         mostrar as chaves e configurações, e como cada uma está definida agora\n"
     L"  vantorel-cli drivers [install]    drivers mais recentes do Windows Update; install os instala\n"
     L"  vantorel-cli task <task> ...      executar tarefas pelos nomes que list mostra\n"
     L"  vantorel-cli fixfile \"<file>\"     executar um arquivo de correção\n"
     L"\n"
     L"  --dry-run   mostrar o que seria executado, em ordem, sem executar nada\n"
     L"  --yes       necessário para tarefas que alteram o Windows e para arquivos de correção\n"
     L"\n"
     L"O Windows solicita direitos de administrador, a menos que este terminal já os tenha.\n"
     L"Códigos de saída: 0 concluído, 1 uma etapa não terminou corretamente, 2 não compreendido, 4 não foi possível executar o Vantorel.",
     L"Não foi possível iniciar o Vantorel.",
     L"Nada foi executado: o Windows não recebeu direitos de administrador.",
     L"O Vantorel parou antes de terminar.",
     L"Interrompido. As etapas restantes não foram executadas."},
    // pt-PT
    {L"pt-PT",
     L"Linha de comandos do Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 tudo o que pode ser executado, com os nomes a utilizar\n"
     L"  vantorel-cli run \"<routine>\"      executar uma das suas rotinas guardadas\n"
     L"  vantorel-cli fix [<step> ...]     executar a Correção: os seus três passos habituais, ou os passos que indicar\n"
     L"  vantorel-cli set <name> <state>   alterar interruptores e definições: on/off, ou os estados próprios de cada definição\n"
     L"  vantorel-cli get [<name>]         mostrar os interruptores e as definições, e como cada um está definido agora\n"
     L"  vantorel-cli drivers [install]    controladores mais recentes do Windows Update; install instala-os\n"
     L"  vantorel-cli task <task> ...      executar tarefas pelos nomes que list apresenta\n"
     L"  vantorel-cli fixfile \"<file>\"     executar um ficheiro de correção\n"
     L"\n"
     L"  --dry-run   mostrar o que seria executado, por ordem, sem executar nada\n"
     L"  --yes       necessário para tarefas que alteram o Windows e para ficheiros de correção\n"
     L"\n"
     L"O Windows pede direitos de administrador, a menos que este terminal já os tenha.\n"
     L"Códigos de saída: 0 concluído, 1 um passo não terminou corretamente, 2 não compreendido, 4 não foi possível executar o Vantorel.",
     L"Não foi possível iniciar o Vantorel.",
     L"Nada foi executado: o Windows não recebeu direitos de administrador.",
     L"O Vantorel parou antes de terminar.",
     L"Parado. Os passos restantes não foram executados."},
    // ro-RO
    {L"ro-RO",
     L"Linia de comandă Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 tot ce se poate rula, cu numele de utilizat\n"
     L"  vantorel-cli run \"<routine>\"      rulează una dintre rutinele salvate\n"
     L"  vantorel-cli fix [<step> ...]     rulează Remedierea: cei trei pași obișnuiți sau pașii pe care îi specificați\n"
     L"  vantorel-cli set <name> <state>   modifică comutatoarele și setările: on/off sau stările proprii ale unei setări\n"
     L"  vantorel-cli get [<name>]         afișează comutatoarele și setările și cum este setată fiecare acum\n"
     L"  vantorel-cli drivers [install]    drivere mai noi din Windows Update; install le instalează\n"
     L"  vantorel-cli task <task> ...      rulează activități după numele afișate de list\n"
     L"  vantorel-cli fixfile \"<file>\"     rulează un fișier de remediere\n"
     L"\n"
     L"  --dry-run   afișează ce s-ar rula, în ordine, fără a rula nimic\n"
     L"  --yes       necesar pentru activitățile care modifică Windows și pentru fișierele de remediere\n"
     L"\n"
     L"Windows solicită drepturi de administrator, cu excepția cazului în care acest terminal le are deja.\n"
     L"Coduri de ieșire: 0 finalizat, 1 un pas nu s-a încheiat corect, 2 neînțeles, 4 Vantorel nu a putut rula.",
     L"Vantorel nu a putut fi pornit.",
     L"Nu s-a rulat nimic: Windows nu a primit drepturi de administrator.",
     L"Vantorel s-a oprit înainte de a termina.",
     L"Oprit. Pașii rămași nu au fost rulați."},
    // ru-RU
    {L"ru-RU",
     L"Командная строка Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 все, что можно запустить, и имена для запуска\n"
     L"  vantorel-cli run \"<routine>\"      запустить один из сохраненных сценариев\n"
     L"  vantorel-cli fix [<step> ...]     запустить Исправление: три повседневных шага или указанные шаги\n"
     L"  vantorel-cli set <name> <state>   изменить переключатели и параметры: on/off или собственные состояния параметра\n"
     L"  vantorel-cli get [<name>]         показать переключатели и параметры и текущее значение каждого\n"
     L"  vantorel-cli drivers [install]    более новые драйверы из Windows Update; install устанавливает их\n"
     L"  vantorel-cli task <task> ...      запустить задачи по именам, которые показывает list\n"
     L"  vantorel-cli fixfile \"<file>\"     запустить файл исправлений\n"
     L"\n"
     L"  --dry-run   показать, что будет запущено и в каком порядке, ничего не запуская\n"
     L"  --yes       требуется для задач, изменяющих Windows, и для файлов исправлений\n"
     L"\n"
     L"Windows запросит права администратора, если у этого терминала их еще нет.\n"
     L"Коды выхода: 0 выполнено, 1 один из шагов завершился некорректно, 2 не распознано, 4 не удалось запустить Vantorel.",
     L"Не удалось запустить Vantorel.",
     L"Ничего не выполнено: Windows не были предоставлены права администратора.",
     L"Vantorel остановился, не завершив работу.",
     L"Остановлено. Оставшиеся шаги не выполнялись."},
    // sk-SK
    {L"sk-SK",
     L"Príkazový riadok Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 všetko, čo sa dá spustiť, a názvy, ktoré treba použiť\n"
     L"  vantorel-cli run \"<routine>\"      spustiť jeden z uložených postupov\n"
     L"  vantorel-cli fix [<step> ...]     spustiť Opravu: tri bežné kroky alebo kroky, ktoré určíte\n"
     L"  vantorel-cli set <name> <state>   zmeniť prepínače a nastavenia: on/off alebo vlastné stavy nastavenia\n"
     L"  vantorel-cli get [<name>]         zobraziť prepínače a nastavenia a aktuálny stav každého z nich\n"
     L"  vantorel-cli drivers [install]    novšie ovládače z Windows Update; install ich nainštaluje\n"
     L"  vantorel-cli task <task> ...      spustiť úlohy podľa názvov, ktoré zobrazí list\n"
     L"  vantorel-cli fixfile \"<file>\"     spustiť súbor opráv\n"
     L"\n"
     L"  --dry-run   zobraziť, čo by sa spustilo a v akom poradí, bez spustenia\n"
     L"  --yes       potrebné pre úlohy, ktoré menia Windows, a pre súbory opráv\n"
     L"\n"
     L"Windows si vyžiada práva správcu, ak ich tento terminál ešte nemá.\n"
     L"Kódy ukončenia: 0 hotovo, 1 niektorý krok neskončil správne, 2 nerozpoznané, 4 Vantorel sa nepodarilo spustiť.",
     L"Vantorel sa nepodarilo spustiť.",
     L"Nič sa nespustilo: systém Windows nedostal práva správcu.",
     L"Vantorel sa zastavil pred dokončením.",
     L"Zastavené. Zvyšné kroky sa nespustili."},
    // sl-SI
    {L"sl-SI",
     L"Ukazna vrstica Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 vse, kar je mogoče zagnati, in imena, ki jih uporabite\n"
     L"  vantorel-cli run \"<routine>\"      zažene enega od shranjenih postopkov\n"
     L"  vantorel-cli fix [<step> ...]     zažene Popravljanje: tri vsakdanje korake ali korake, ki jih navedete\n"
     L"  vantorel-cli set <name> <state>   spremeni stikala in nastavitve: on/off ali lastna stanja nastavitve\n"
     L"  vantorel-cli get [<name>]         prikaže stikala in nastavitve ter trenutno stanje vsakega\n"
     L"  vantorel-cli drivers [install]    novejši gonilniki iz Windows Update; install jih namesti\n"
     L"  vantorel-cli task <task> ...      zažene opravila po imenih, ki jih prikaže list\n"
     L"  vantorel-cli fixfile \"<file>\"     zažene datoteko s popravki\n"
     L"\n"
     L"  --dry-run   prikaže, kaj bi se zagnalo in v kakšnem vrstnem redu, brez dejanskega zagona\n"
     L"  --yes       potrebno za opravila, ki spreminjajo Windows, in za datoteke s popravki\n"
     L"\n"
     L"Windows zahteva skrbniške pravice, razen če jih ta terminal že ima.\n"
     L"Izhodne kode: 0 končano, 1 korak se ni pravilno končal, 2 ni prepoznano, 4 programa Vantorel ni bilo mogoče zagnati.",
     L"Programa Vantorel ni bilo mogoče zagnati.",
     L"Nič ni bilo zagnano: sistem Windows ni dobil skrbniških pravic.",
     L"Program Vantorel se je ustavil, preden je končal.",
     L"Ustavljeno. Preostali koraki niso bili izvedeni."},
    // sq-AL
    {L"sq-AL",
     L"Rreshti i komandave i Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 gjithçka që mund të ekzekutohet, me emrat që duhen përdorur\n"
     L"  vantorel-cli run \"<routine>\"      ekzekuto një nga rutinat e tua të ruajtura\n"
     L"  vantorel-cli fix [<step> ...]     ekzekuto Rregullimin: tre hapat e përditshëm ose hapat që specifikon\n"
     L"  vantorel-cli set <name> <state>   ndrysho çelësat dhe cilësimet: on/off ose gjendjet e veta të një cilësimi\n"
     L"  vantorel-cli get [<name>]         shfaq çelësat dhe cilësimet, si dhe vlerën aktuale të secilit\n"
     L"  vantorel-cli drivers [install]    drejtues më të rinj nga Windows Update; install i instalon\n"
     L"  vantorel-cli task <task> ...      ekzekuto detyrat sipas emrave që shfaq list\n"
     L"  vantorel-cli fixfile \"<file>\"     ekzekuto një skedar rregullimi\n"
     L"\n"
     L"  --dry-run   shfaq çfarë do të ekzekutohej, sipas radhës, pa ekzekutuar asgjë\n"
     L"  --yes       i nevojshëm për detyrat që ndryshojnë Windows dhe për skedarët e rregullimit\n"
     L"\n"
     L"Windows kërkon të drejta administratori, përveç nëse ky terminal i ka tashmë.\n"
     L"Kodet e daljes: 0 u krye, 1 një hap nuk përfundoi si duhet, 2 nuk u kuptua, 4 Vantorel nuk mund të ekzekutohej.",
     L"Vantorel nuk mund të nisej.",
     L"Nuk u ekzekutua asgjë: Windows nuk mori të drejta administratori.",
     L"Vantorel u ndal para se të përfundonte.",
     L"U ndal. Hapat e mbetur nuk u ekzekutuan."},
    // sr-RS
    {L"sr-RS",
     L"Komandna linija za Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 sve što može da se pokrene, sa imenima koja treba koristiti\n"
     L"  vantorel-cli run \"<routine>\"      pokreće jednu od sačuvanih rutina\n"
     L"  vantorel-cli fix [<step> ...]     pokreće Popravku: tri svakodnevna koraka ili korake koje navedete\n"
     L"  vantorel-cli set <name> <state>   menja prekidače i postavke: on/off ili sopstvena stanja postavke\n"
     L"  vantorel-cli get [<name>]         prikazuje prekidače i postavke, kao i trenutnu vrednost svakog od njih\n"
     L"  vantorel-cli drivers [install]    noviji upravljački programi sa usluge Windows Update; install ih instalira\n"
     L"  vantorel-cli task <task> ...      pokreće zadatke po imenima koja prikazuje list\n"
     L"  vantorel-cli fixfile \"<file>\"     pokreće datoteku za popravku\n"
     L"\n"
     L"  --dry-run   prikazuje šta bi se pokrenulo i kojim redosledom, bez pokretanja\n"
     L"  --yes       potrebno za zadatke koji menjaju Windows i za datoteke za popravku\n"
     L"\n"
     L"Windows traži administratorska prava, osim ako ih ovaj terminal već ima.\n"
     L"Izlazni kodovi: 0 gotovo, 1 neki korak nije ispravno završen, 2 nije prepoznato, 4 Vantorel nije mogao da se pokrene.",
     L"Pokretanje programa Vantorel nije uspelo.",
     L"Ništa nije pokrenuto: Windows nije dobio administratorska prava.",
     L"Vantorel se zaustavio pre nego što je završio.",
     L"Zaustavljeno. Preostali koraci nisu pokrenuti."},
    // sv-SE
    {L"sv-SE",
     L"Kommandorad för Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 allt som kan köras, med namnen som ska användas\n"
     L"  vantorel-cli run \"<routine>\"      kör en av dina sparade rutiner\n"
     L"  vantorel-cli fix [<step> ...]     kör Reparation: de tre vardagliga stegen, eller de steg du anger\n"
     L"  vantorel-cli set <name> <state>   ändra reglage och inställningar: on/off, eller en inställnings egna lägen\n"
     L"  vantorel-cli get [<name>]         visa reglagen och inställningarna, och hur var och en är inställd nu\n"
     L"  vantorel-cli drivers [install]    nyare drivrutiner från Windows Update; install installerar dem\n"
     L"  vantorel-cli task <task> ...      kör uppgifter med namnen som list visar\n"
     L"  vantorel-cli fixfile \"<file>\"     kör en reparationsfil\n"
     L"\n"
     L"  --dry-run   visa vad som skulle köras, i ordning, utan att köra något\n"
     L"  --yes       krävs för uppgifter som ändrar Windows, och för reparationsfiler\n"
     L"\n"
     L"Windows ber om administratörsbehörighet, om inte den här terminalen redan körs som administratör.\n"
     L"Avslutskoder: 0 klart, 1 ett steg slutfördes inte korrekt, 2 förstods inte, 4 Vantorel kunde inte köras.",
     L"Det gick inte att starta Vantorel.",
     L"Inget kördes: Windows fick inte administratörsbehörighet.",
     L"Vantorel avslutades innan det var klart.",
     L"Stoppat. De återstående stegen kördes inte."},
    // sw-KE
    {L"sw-KE",
     L"Mstari wa amri wa Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 kila kitu kinachoweza kuendeshwa, pamoja na majina ya kutumia\n"
     L"  vantorel-cli run \"<routine>\"      endesha mojawapo ya taratibu ulizohifadhi\n"
     L"  vantorel-cli fix [<step> ...]     endesha Urekebishaji: hatua zake tatu za kila siku, au hatua unazotaja\n"
     L"  vantorel-cli set <name> <state>   badilisha swichi na mipangilio: on/off, au hali mahususi za mpangilio\n"
     L"  vantorel-cli get [<name>]         onyesha swichi na mipangilio, pamoja na hali ya sasa ya kila moja\n"
     L"  vantorel-cli drivers [install]    viendeshi vipya zaidi kutoka Windows Update; install huvisakinisha\n"
     L"  vantorel-cli task <task> ...      endesha kazi kwa majina yanayoonyeshwa na list\n"
     L"  vantorel-cli fixfile \"<file>\"     endesha faili ya marekebisho\n"
     L"\n"
     L"  --dry-run   onyesha kitakachoendeshwa, kwa mfuatano, bila kuendesha chochote\n"
     L"  --yes       inahitajika kwa kazi zinazobadilisha Windows, na kwa faili za marekebisho\n"
     L"\n"
     L"Windows huomba haki za msimamizi, isipokuwa dirisha hili la amri tayari linazo.\n"
     L"Misimbo ya kutoka: 0 imekamilika, 1 hatua fulani haikukamilika ipasavyo, 2 haikueleweka, 4 Vantorel haikuweza kuendeshwa.",
     L"Vantorel haikuweza kuanzishwa.",
     L"Hakuna kilichoendeshwa: Windows haikupewa haki za msimamizi.",
     L"Vantorel ilisimama kabla ya kumaliza.",
     L"Imesimamishwa. Hatua zilizobaki hazikuendeshwa."},
    // th-TH
    {L"th-TH",
     L"บรรทัดคำสั่ง Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 ทุกอย่างที่เรียกใช้ได้ พร้อมชื่อที่ต้องใช้\n"
     L"  vantorel-cli run \"<routine>\"      เรียกใช้รูทีนที่บันทึกไว้รายการหนึ่ง\n"
     L"  vantorel-cli fix [<step> ...]     เรียกใช้การแก้ไข: ขั้นตอนประจำสามขั้นตอน หรือขั้นตอนที่คุณระบุ\n"
     L"  vantorel-cli set <name> <state>   เปลี่ยนสวิตช์และการตั้งค่า: on/off หรือสถานะเฉพาะของการตั้งค่านั้น\n"
     L"  vantorel-cli get [<name>]         แสดงสวิตช์และการตั้งค่า พร้อมค่าปัจจุบันของแต่ละรายการ\n"
     L"  vantorel-cli drivers [install]    ไดรเวอร์รุ่นใหม่กว่าจาก Windows Update ใช้ install เพื่อติดตั้ง\n"
     L"  vantorel-cli task <task> ...      เรียกใช้รายการงานตามชื่อที่ list แสดง\n"
     L"  vantorel-cli fixfile \"<file>\"     เรียกใช้ไฟล์การแก้ไข\n"
     L"\n"
     L"  --dry-run   แสดงสิ่งที่จะเรียกใช้ตามลำดับ โดยไม่เรียกใช้สิ่งใด\n"
     L"  --yes       จำเป็นสำหรับงานที่เปลี่ยนแปลง Windows และสำหรับไฟล์การแก้ไข\n"
     L"\n"
     L"Windows จะขอสิทธิ์ผู้ดูแลระบบ เว้นแต่เทอร์มินัลนี้จะมีสิทธิ์ดังกล่าวอยู่แล้ว\n"
     L"รหัสการออก: 0 เสร็จสิ้น, 1 มีขั้นตอนที่ไม่เสร็จสมบูรณ์, 2 ไม่เข้าใจคำสั่ง, 4 ไม่สามารถเรียกใช้ Vantorel ได้.",
     L"ไม่สามารถเริ่ม Vantorel ได้",
     L"ไม่มีการเรียกใช้สิ่งใด: Windows ไม่ได้รับสิทธิ์ผู้ดูแลระบบ",
     L"Vantorel หยุดทำงานก่อนที่จะเสร็จสิ้น",
     L"หยุดแล้ว ไม่ได้เรียกใช้ขั้นตอนที่เหลือ"},
    // tr-TR
    {L"tr-TR",
     L"Vantorel komut satırı\n"
     L"\n"
     L"  vantorel-cli list                 çalıştırılabilecek her şey, kullanılacak adlarıyla\n"
     L"  vantorel-cli run \"<routine>\"      kayıtlı rutinlerinizden birini çalıştırır\n"
     L"  vantorel-cli fix [<step> ...]     Onarım'ı çalıştırır: üç gündelik adımı veya belirttiğiniz adımları\n"
     L"  vantorel-cli set <name> <state>   anahtarları ve ayarları değiştirir: on/off veya ayarın kendi durumları\n"
     L"  vantorel-cli get [<name>]         anahtarları ve ayarları, her birinin şu anki değeriyle gösterir\n"
     L"  vantorel-cli drivers [install]    Windows Update'ten daha yeni sürücüler; install bunları yükler\n"
     L"  vantorel-cli task <task> ...      görevleri list komutunun gösterdiği adlarla çalıştırır\n"
     L"  vantorel-cli fixfile \"<file>\"     bir onarım dosyasını çalıştırır\n"
     L"\n"
     L"  --dry-run   neyin hangi sırayla çalışacağını gösterir, hiçbir şey çalıştırmaz\n"
     L"  --yes       Windows'u değiştiren görevler ve onarım dosyaları için gereklidir\n"
     L"\n"
     L"Bu terminal zaten yönetici haklarına sahip değilse Windows yönetici hakları ister.\n"
     L"Çıkış kodları: 0 tamamlandı, 1 bir adım düzgün tamamlanmadı, 2 anlaşılamadı, 4 Vantorel çalıştırılamadı.",
     L"Vantorel başlatılamadı.",
     L"Hiçbir şey çalıştırılmadı: Windows'a yönetici hakları verilmedi.",
     L"Vantorel tamamlanmadan durdu.",
     L"Durduruldu. Kalan adımlar çalıştırılmadı."},
    // uk-UA
    {L"uk-UA",
     L"Командний рядок Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 усе, що можна запустити, та назви для використання\n"
     L"  vantorel-cli run \"<routine>\"      запустити один зі збережених сценаріїв\n"
     L"  vantorel-cli fix [<step> ...]     запустити Виправлення: три щоденні кроки або вказані вами кроки\n"
     L"  vantorel-cli set <name> <state>   змінити перемикачі й параметри: on/off або власні стани параметра\n"
     L"  vantorel-cli get [<name>]         показати перемикачі й параметри та поточне значення кожного\n"
     L"  vantorel-cli drivers [install]    новіші драйвери з Windows Update; install інсталює їх\n"
     L"  vantorel-cli task <task> ...      запустити завдання за назвами, які показує list\n"
     L"  vantorel-cli fixfile \"<file>\"     запустити файл виправлень\n"
     L"\n"
     L"  --dry-run   показати, що буде запущено і в якому порядку, нічого не запускаючи\n"
     L"  --yes       потрібно для завдань, які змінюють Windows, і для файлів виправлень\n"
     L"\n"
     L"Windows запитає права адміністратора, якщо цей термінал їх ще не має.\n"
     L"Коди виходу: 0 виконано, 1 один із кроків завершився некоректно, 2 не розпізнано, 4 не вдалося запустити Vantorel.",
     L"Не вдалося запустити Vantorel.",
     L"Нічого не запущено: Windows не надано прав адміністратора.",
     L"Vantorel зупинився, не завершивши роботу.",
     L"Зупинено. Решту кроків не виконано."},
    // vi-VN
    {L"vi-VN",
     L"Dòng lệnh Vantorel\n"
     L"\n"
     L"  vantorel-cli list                 mọi thứ có thể chạy, kèm theo tên cần dùng\n"
     L"  vantorel-cli run \"<routine>\"      chạy một trong các quy trình bạn đã lưu\n"
     L"  vantorel-cli fix [<step> ...]     chạy Sửa lỗi: ba bước thường ngày hoặc các bước bạn chỉ định\n"
     L"  vantorel-cli set <name> <state>   thay đổi công tắc và cài đặt: on/off hoặc các trạng thái riêng của một cài đặt\n"
     L"  vantorel-cli get [<name>]         hiển thị công tắc và cài đặt cùng giá trị hiện tại của từng mục\n"
     L"  vantorel-cli drivers [install]    trình điều khiển mới hơn từ Windows Update; install sẽ cài đặt chúng\n"
     L"  vantorel-cli task <task> ...      chạy tác vụ theo tên mà list hiển thị\n"
     L"  vantorel-cli fixfile \"<file>\"     chạy tệp sửa lỗi\n"
     L"\n"
     L"  --dry-run   hiển thị những gì sẽ chạy, theo thứ tự, mà không chạy gì cả\n"
     L"  --yes       cần thiết cho các tác vụ thay đổi Windows và cho tệp sửa lỗi\n"
     L"\n"
     L"Windows sẽ yêu cầu quyền quản trị viên, trừ khi thiết bị đầu cuối này đã có quyền đó.\n"
     L"Mã thoát: 0 hoàn tất, 1 một bước chưa hoàn tất đúng cách, 2 không hiểu lệnh, 4 Vantorel không thể chạy.",
     L"Không thể khởi động Vantorel.",
     L"Không có gì được chạy: Windows không được cấp quyền quản trị viên.",
     L"Vantorel đã dừng trước khi hoàn tất.",
     L"Đã dừng. Các bước còn lại không được chạy."},
    // zh-CN
    {L"zh-CN",
     L"Vantorel 命令行\n"
     L"\n"
     L"  vantorel-cli list                 可运行的所有内容，以及要使用的名称\n"
     L"  vantorel-cli run \"<routine>\"      运行你保存的某个例程\n"
     L"  vantorel-cli fix [<step> ...]     运行修复：三个日常步骤，或你指定的步骤\n"
     L"  vantorel-cli set <name> <state>   更改开关和设置：on/off，或某个设置自身的状态\n"
     L"  vantorel-cli get [<name>]         显示开关和设置，以及各项当前的设置状态\n"
     L"  vantorel-cli drivers [install]    来自 Windows Update 的较新驱动程序；install 会安装它们\n"
     L"  vantorel-cli task <task> ...      按 list 显示的名称运行任务\n"
     L"  vantorel-cli fixfile \"<file>\"     运行修复文件\n"
     L"\n"
     L"  --dry-run   按顺序显示将要运行的内容，但不运行任何内容\n"
     L"  --yes       更改 Windows 的任务和修复文件需要此选项\n"
     L"\n"
     L"除非此终端已具有管理员权限，否则 Windows 会请求管理员权限。\n"
     L"退出代码: 0 完成, 1 某个步骤未正常完成, 2 无法识别, 4 Vantorel 无法运行.",
     L"无法启动 Vantorel。",
     L"未运行任何内容：Windows 未获得管理员权限。",
     L"Vantorel 在完成之前已停止。",
     L"已停止。其余步骤未运行。"},
    // zh-TW
    {L"zh-TW",
     L"Vantorel 命令列\n"
     L"\n"
     L"  vantorel-cli list                 可執行的所有項目，以及要使用的名稱\n"
     L"  vantorel-cli run \"<routine>\"      執行您儲存的其中一個常式\n"
     L"  vantorel-cli fix [<step> ...]     執行修復：三個日常步驟，或您指定的步驟\n"
     L"  vantorel-cli set <name> <state>   變更開關和設定：on/off，或某個設定本身的狀態\n"
     L"  vantorel-cli get [<name>]         顯示開關和設定，以及各項的目前設定\n"
     L"  vantorel-cli drivers [install]    來自 Windows Update 的較新驅動程式；install 會加以安裝\n"
     L"  vantorel-cli task <task> ...      依 list 顯示的名稱執行工作\n"
     L"  vantorel-cli fixfile \"<file>\"     執行修復檔案\n"
     L"\n"
     L"  --dry-run   依序顯示將執行的內容，但不執行任何項目\n"
     L"  --yes       變更 Windows 的工作和修復檔案需要此選項\n"
     L"\n"
     L"除非此終端機已有系統管理員權限，否則 Windows 會要求系統管理員權限。\n"
     L"結束代碼: 0 完成, 1 某個步驟未正常完成, 2 無法辨識, 4 Vantorel 無法執行.",
     L"無法啟動 Vantorel。",
     L"未執行任何項目：Windows 未取得系統管理員權限。",
     L"Vantorel 在完成前就已停止。",
     L"已停止。其餘步驟未執行。"},
};
