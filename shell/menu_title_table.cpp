// Titles of the Explorer submenu entries, one row per locale in the order of
// kLocaleCodes, titles by tool id. "Kestrix" is a feature name and stays as it is.
#include "shell/menu_title_table.h"

const MenuTitleRow kMenuTitleTable[kLocaleCount] = {
    // en-US
    {L"en-US", {L"Who Is Using This File?", L"Get Back an Older Version", L"Check a File's Fingerprint",
                L"Unlock File or Folder", L"Repair File or Folder Permissions", L"Force Delete File or Folder",
                L"Move to Kestrix"}},
    // ar-SA
    {L"ar-SA", {L"من يستخدم هذا الملف؟", L"استعادة إصدار أقدم", L"التحقق من بصمة الملف", L"إلغاء قفل الملف أو المجلد", L"إصلاح أذونات الملف أو المجلد", L"حذف الملف أو المجلد قسرًا", L"نقل إلى Kestrix"}},
    // bg-BG
    {L"bg-BG", {L"Кой използва този файл?", L"Връщане на по-стара версия", L"Проверка на отпечатъка на файла", L"Отключване на файл или папка", L"Поправяне на разрешенията за файл или папка", L"Принудително изтриване на файл или папка", L"Преместване в Kestrix"}},
    // bn-BD
    {L"bn-BD", {L"কে এই ফাইলটি ব্যবহার করছে?", L"পুরোনো সংস্করণ ফিরিয়ে আনুন", L"ফাইলের ফিঙ্গারপ্রিন্ট যাচাই করুন", L"ফাইল বা ফোল্ডার আনলক করুন", L"ফাইল বা ফোল্ডারের অনুমতি মেরামত করুন", L"ফাইল বা ফোল্ডার জোরপূর্বক মুছুন", L"Kestrix-এ সরান"}},
    // cs-CZ
    {L"cs-CZ", {L"Kdo používá tento soubor?", L"Obnovit starší verzi", L"Zkontrolovat otisk souboru", L"Odemknout soubor nebo složku", L"Opravit oprávnění souboru nebo složky", L"Vynuceně odstranit soubor nebo složku", L"Přesunout do Kestrixu"}},
    // da-DK
    {L"da-DK", {L"Hvem bruger denne fil?", L"Gendan en ældre version", L"Kontrollér filens fingeraftryk", L"Lås fil eller mappe op", L"Reparer tilladelser for fil eller mappe", L"Gennemtving sletning af fil eller mappe", L"Flyt til Kestrix"}},
    // de-DE
    {L"de-DE", {L"Wer verwendet diese Datei?", L"Ältere Version wiederherstellen", L"Fingerabdruck der Datei prüfen", L"Datei oder Ordner entsperren", L"Berechtigungen für Datei oder Ordner reparieren", L"Datei oder Ordner zwangsweise löschen", L"In Kestrix verschieben"}},
    // el-GR
    {L"el-GR", {L"Ποιος χρησιμοποιεί αυτό το αρχείο;", L"Επαναφορά παλαιότερης έκδοσης", L"Έλεγχος αποτυπώματος αρχείου", L"Ξεκλείδωμα αρχείου ή φακέλου", L"Επιδιόρθωση δικαιωμάτων αρχείου ή φακέλου", L"Αναγκαστική διαγραφή αρχείου ή φακέλου", L"Μετακίνηση στο Kestrix"}},
    // es-419
    {L"es-419", {L"¿Quién está usando este archivo?", L"Recuperar una versión anterior", L"Comprobar la huella digital del archivo", L"Desbloquear archivo o carpeta", L"Reparar permisos de archivo o carpeta", L"Forzar eliminación de archivo o carpeta", L"Mover a Kestrix"}},
    // es-ES
    {L"es-ES", {L"¿Quién está usando este archivo?", L"Recuperar una versión anterior", L"Comprobar la huella digital del archivo", L"Desbloquear archivo o carpeta", L"Reparar permisos de archivo o carpeta", L"Forzar eliminación de archivo o carpeta", L"Mover a Kestrix"}},
    // et-EE
    {L"et-EE", {L"Kes seda faili kasutab?", L"Taasta vanem versioon", L"Kontrolli faili sõrmejälge", L"Eemalda faili või kausta lukustus", L"Paranda faili või kausta õigused", L"Kustuta fail või kaust sunniviisiliselt", L"Teisalda Kestrixisse"}},
    // fa-IR
    {L"fa-IR", {L"چه کسی از این فایل استفاده می‌کند؟", L"بازگرداندن نسخهٔ قدیمی‌تر", L"بررسی اثر انگشت فایل", L"باز کردن قفل فایل یا پوشه", L"تعمیر مجوزهای فایل یا پوشه", L"حذف اجباری فایل یا پوشه", L"انتقال به Kestrix"}},
    // fi-FI
    {L"fi-FI", {L"Kuka käyttää tätä tiedostoa?", L"Palauta vanhempi versio", L"Tarkista tiedoston sormenjälki", L"Avaa tiedoston tai kansion lukitus", L"Korjaa tiedoston tai kansion käyttöoikeudet", L"Pakota tiedoston tai kansion poisto", L"Siirrä Kestrixiin"}},
    // fil-PH
    {L"fil-PH", {L"Sino ang gumagamit ng file na ito?", L"Ibalik ang mas lumang bersyon", L"Suriin ang fingerprint ng file", L"I-unlock ang file o folder", L"Ayusin ang mga pahintulot ng file o folder", L"Puwersahang tanggalin ang file o folder", L"Ilipat sa Kestrix"}},
    // fr-FR
    {L"fr-FR", {L"Qui utilise ce fichier ?", L"Récupérer une version antérieure", L"Vérifier l'empreinte du fichier", L"Déverrouiller le fichier ou le dossier", L"Réparer les autorisations du fichier ou du dossier", L"Forcer la suppression du fichier ou du dossier", L"Déplacer vers Kestrix"}},
    // he-IL
    {L"he-IL", {L"מי משתמש בקובץ זה?", L"שחזר גרסה ישנה יותר", L"בדוק את טביעת האצבע של הקובץ", L"בטל נעילה של קובץ או תיקייה", L"תקן הרשאות של קובץ או תיקייה", L"כפה מחיקה של קובץ או תיקייה", L"העבר אל Kestrix"}},
    // hi-IN
    {L"hi-IN", {L"इस फ़ाइल का उपयोग कौन कर रहा है?", L"पुराना संस्करण वापस पाएँ", L"फ़ाइल का फ़िंगरप्रिंट जाँचें", L"फ़ाइल या फ़ोल्डर अनलॉक करें", L"फ़ाइल या फ़ोल्डर की अनुमतियाँ सुधारें", L"फ़ाइल या फ़ोल्डर बलपूर्वक हटाएँ", L"Kestrix में ले जाएँ"}},
    // hr-HR
    {L"hr-HR", {L"Tko upotrebljava ovu datoteku?", L"Vrati stariju verziju", L"Provjeri otisak datoteke", L"Otključaj datoteku ili mapu", L"Popravi dozvole datoteke ili mape", L"Prisilno izbriši datoteku ili mapu", L"Premjesti u Kestrix"}},
    // hu-HU
    {L"hu-HU", {L"Ki használja ezt a fájlt?", L"Régebbi verzió visszaállítása", L"Fájl ujjlenyomatának ellenőrzése", L"Fájl vagy mappa zárolásának feloldása", L"Fájl vagy mappa engedélyeinek javítása", L"Fájl vagy mappa kényszerített törlése", L"Áthelyezés a Kestrixbe"}},
    // id-ID
    {L"id-ID", {L"Siapa yang menggunakan file ini?", L"Kembalikan versi yang lebih lama", L"Periksa sidik jari file", L"Buka kunci file atau folder", L"Perbaiki izin file atau folder", L"Paksa hapus file atau folder", L"Pindahkan ke Kestrix"}},
    // it-IT
    {L"it-IT", {L"Chi sta usando questo file?", L"Recupera una versione precedente", L"Verifica l'impronta del file", L"Sblocca file o cartella", L"Ripara le autorizzazioni di file o cartella", L"Forza l'eliminazione di file o cartella", L"Sposta in Kestrix"}},
    // ja-JP
    {L"ja-JP", {L"このファイルを使用しているのは？", L"古いバージョンの復元", L"ファイルのフィンガープリントの確認", L"ファイルまたはフォルダーのロック解除", L"ファイルまたはフォルダーのアクセス許可の修復", L"ファイルまたはフォルダーの強制削除", L"Kestrix に移動"}},
    // ko-KR
    {L"ko-KR", {L"이 파일을 사용 중인 프로그램 확인", L"이전 버전 복원", L"파일 지문 확인", L"파일 또는 폴더 잠금 해제", L"파일 또는 폴더 권한 복구", L"파일 또는 폴더 강제 삭제", L"Kestrix로 이동"}},
    // lt-LT
    {L"lt-LT", {L"Kas naudoja šį failą?", L"Atkurti senesnę versiją", L"Patikrinti failo kontrolinę sumą", L"Atrakinti failą arba aplanką", L"Sutvarkyti failo arba aplanko teises", L"Priverstinai panaikinti failą arba aplanką", L"Perkelti į Kestrix"}},
    // lv-LV
    {L"lv-LV", {L"Kas izmanto šo failu?", L"Atjaunot vecāku versiju", L"Pārbaudīt faila nospiedumu", L"Atbloķēt failu vai mapi", L"Labot faila vai mapes atļaujas", L"Piespiedu kārtā dzēst failu vai mapi", L"Pārvietot uz Kestrix"}},
    // nb-NO
    {L"nb-NO", {L"Hvem bruker denne filen?", L"Gjenopprett en eldre versjon", L"Kontroller filens fingeravtrykk", L"Lås opp fil eller mappe", L"Reparer fil- eller mappetillatelser", L"Tving sletting av fil eller mappe", L"Flytt til Kestrix"}},
    // nl-NL
    {L"nl-NL", {L"Wie gebruikt dit bestand?", L"Oudere versie terugzetten", L"Vingerafdruk van bestand controleren", L"Bestand of map ontgrendelen", L"Machtigingen van bestand of map herstellen", L"Bestand of map geforceerd verwijderen", L"Naar Kestrix verplaatsen"}},
    // pl-PL
    {L"pl-PL", {L"Kto używa tego pliku?", L"Przywróć starszą wersję", L"Sprawdź odcisk palca pliku", L"Odblokuj plik lub folder", L"Napraw uprawnienia pliku lub folderu", L"Wymuś usunięcie pliku lub folderu", L"Przenieś do Kestrix"}},
    // pt-BR
    {L"pt-BR", {L"Quem está usando este arquivo?", L"Recuperar uma versão anterior", L"Verificar a impressão digital do arquivo", L"Desbloquear arquivo ou pasta", L"Reparar permissões de arquivo ou pasta", L"Forçar exclusão de arquivo ou pasta", L"Mover para Kestrix"}},
    // pt-PT
    {L"pt-PT", {L"Quem está a utilizar este ficheiro?", L"Recuperar uma versão anterior", L"Verificar a impressão digital do ficheiro", L"Desbloquear ficheiro ou pasta", L"Reparar permissões de ficheiro ou pasta", L"Forçar eliminação de ficheiro ou pasta", L"Mover para Kestrix"}},
    // ro-RO
    {L"ro-RO", {L"Cine folosește acest fișier?", L"Recuperare versiune mai veche", L"Verificare amprentă fișier", L"Deblocare fișier sau folder", L"Reparare permisiuni fișier sau folder", L"Ștergere forțată fișier sau folder", L"Mutare în Kestrix"}},
    // ru-RU
    {L"ru-RU", {L"Кто использует этот файл?", L"Восстановить более раннюю версию", L"Проверить отпечаток файла", L"Разблокировать файл или папку", L"Исправить разрешения файла или папки", L"Принудительно удалить файл или папку", L"Переместить в Kestrix"}},
    // sk-SK
    {L"sk-SK", {L"Kto používa tento súbor?", L"Obnoviť staršiu verziu", L"Skontrolovať odtlačok súboru", L"Odomknúť súbor alebo priečinok", L"Opraviť povolenia súboru alebo priečinka", L"Vynútene odstrániť súbor alebo priečinok", L"Presunúť do Kestrix"}},
    // sl-SI
    {L"sl-SI", {L"Kdo uporablja to datoteko?", L"Obnovi starejšo različico", L"Preveri prstni odtis datoteke", L"Odkleni datoteko ali mapo", L"Popravi dovoljenja datoteke ali mape", L"Prisilno izbriši datoteko ali mapo", L"Premakni v Kestrix"}},
    // sq-AL
    {L"sq-AL", {L"Kush po e përdor këtë skedar?", L"Rikthe një version të mëparshëm", L"Kontrollo gjurmën dixhitale të skedarit", L"Zhblloko skedarin ose dosjen", L"Riparo lejet e skedarit ose dosjes", L"Fshi me forcë skedarin ose dosjen", L"Zhvendos te Kestrix"}},
    // sr-RS
    {L"sr-RS", {L"Ko koristi ovu datoteku?", L"Vrati stariju verziju", L"Proveri digitalni otisak datoteke", L"Otključaj datoteku ili fasciklu", L"Popravi dozvole za datoteku ili fasciklu", L"Prinudno izbriši datoteku ili fasciklu", L"Premesti u Kestrix"}},
    // sv-SE
    {L"sv-SE", {L"Vem använder den här filen?", L"Återställ en äldre version", L"Kontrollera filens fingeravtryck", L"Lås upp fil eller mapp", L"Reparera behörigheter för fil eller mapp", L"Tvinga borttagning av fil eller mapp", L"Flytta till Kestrix"}},
    // sw-KE
    {L"sw-KE", {L"Nani anatumia faili hii?", L"Rejesha toleo la awali", L"Kagua alama ya kidijitali ya faili", L"Ondoa kufuli kwenye faili au folda", L"Rekebisha ruhusa za faili au folda", L"Lazimisha kufuta faili au folda", L"Hamisha hadi Kestrix"}},
    // th-TH
    {L"th-TH", {L"ใครกำลังใช้ไฟล์นี้อยู่?", L"เรียกคืนเวอร์ชันเก่า", L"ตรวจสอบลายนิ้วมือของไฟล์", L"ปลดล็อกไฟล์หรือโฟลเดอร์", L"ซ่อมแซมสิทธิ์ของไฟล์หรือโฟลเดอร์", L"บังคับลบไฟล์หรือโฟลเดอร์", L"ย้ายไปยัง Kestrix"}},
    // tr-TR
    {L"tr-TR", {L"Bu dosyayı kim kullanıyor?", L"Önceki bir sürümü geri yükle", L"Dosyanın parmak izini denetle", L"Dosya veya klasörün kilidini aç", L"Dosya veya klasör izinlerini onar", L"Dosya veya klasörü zorla sil", L"Kestrix'e taşı"}},
    // uk-UA
    {L"uk-UA", {L"Хто використовує цей файл?", L"Відновити попередню версію", L"Перевірити відбиток файлу", L"Розблокувати файл або папку", L"Виправити дозволи файлу або папки", L"Примусово видалити файл або папку", L"Перемістити в Kestrix"}},
    // vi-VN
    {L"vi-VN", {L"Ai đang sử dụng tệp này?", L"Khôi phục phiên bản cũ hơn", L"Kiểm tra dấu vân tay của tệp", L"Mở khóa tệp hoặc thư mục", L"Sửa quyền của tệp hoặc thư mục", L"Buộc xóa tệp hoặc thư mục", L"Di chuyển đến Kestrix"}},
    // zh-CN
    {L"zh-CN", {L"谁在使用此文件？", L"找回旧版本", L"检查文件指纹", L"解锁文件或文件夹", L"修复文件或文件夹权限", L"强制删除文件或文件夹", L"移到 Kestrix"}},
    // zh-TW
    {L"zh-TW", {L"誰正在使用此檔案？", L"取回舊版本", L"檢查檔案指紋", L"解除鎖定檔案或資料夾", L"修復檔案或資料夾權限", L"強制刪除檔案或資料夾", L"移到 Kestrix"}},
};
