<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="fr">
<context>
    <name>StudioCommandLine</name>
    <message>
        <source>Fait un diaporama à la souris.</source>
        <translation>Makes a slideshow with the mouse.</translation>
    </message>
    <message>
        <source>manifeste</source>
        <translation>manifest</translation>
    </message>
    <message>
        <source>Manifeste TOML à ouvrir</source>
        <translation>TOML manifest to open</translation>
    </message>
    <message>
        <source>[manifeste]</source>
        <translation>[manifest]</translation>
    </message>
</context>
<context>
    <name>StudioDialogs</name>
    <message>
        <source>Enregistrer</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Ne pas enregistrer</source>
        <translation>Don&apos;t Save</translation>
    </message>
    <message>
        <source>Annuler</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Remplacer</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Manifestes de diaporama (*.toml)</source>
        <translation>Show manifests (*.toml)</translation>
    </message>
    <message>
        <source>Ouvrir un manifeste</source>
        <translation>Open a Manifest</translation>
    </message>
    <message>
        <source>Tous les fichiers (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>Enregistrer le diaporama</source>
        <translation>Save the Show</translation>
    </message>
    <message>
        <source>Ouvrir un diaporama</source>
        <translation>Open a Show</translation>
    </message>
    <message>
        <source>Dossier où écrire les images et le manifeste</source>
        <translation>Folder for the Pictures and the Manifest</translation>
    </message>
    <message>
        <source>Extraire</source>
        <translation>Extract</translation>
    </message>
    <message>
        <source>Construire le diaporama</source>
        <translation>Build the Show</translation>
    </message>
    <message>
        <source>Construire</source>
        <translation>Build</translation>
    </message>
    <message>
        <source>Exporter une vidéo</source>
        <translation>Export a Video</translation>
    </message>
    <message>
        <source>Vidéo MP4, H.264 (*.mp4)</source>
        <translation>MP4 video, H.264 (*.mp4)</translation>
    </message>
    <message>
        <source>Vidéo WebM, VP9 (*.webm)</source>
        <translation>WebM video, VP9 (*.webm)</translation>
    </message>
    <message>
        <source>Exporter</source>
        <translation>Export</translation>
    </message>
</context>
<context>
    <name>pellumo::BackgroundJob</name>
    <message>
        <source>Annuler</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>pellumo::FileController</name>
    <message>
        <source>%1 Ko</source>
        <translation>%1 kB</translation>
    </message>
    <message>
        <source>%1 Mo</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <source>%1 (extrait)</source>
        <translation>%1 (extracted)</translation>
    </message>
    <message>
        <source>%1 (extrait %2)</source>
        <translation>%1 (extracted %2)</translation>
    </message>
    <message>
        <source>&amp;Nouveau</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>&amp;Ouvrir…</source>
        <translation>&amp;Open…</translation>
    </message>
    <message>
        <source>Ouvrir un &amp;diaporama…</source>
        <translation>Open a &amp;Show…</translation>
    </message>
    <message>
        <source>&amp;Enregistrer</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>Enregistrer &amp;sous…</source>
        <translation>Save &amp;As…</translation>
    </message>
    <message>
        <source>&amp;Construire le diaporama…</source>
        <translation>&amp;Build the Show…</translation>
    </message>
    <message>
        <source>&amp;Lire le diaporama</source>
        <translation>&amp;Play the Show</translation>
    </message>
    <message>
        <source>Ouvrir le manifeste d&apos;un diaporama (.toml)</source>
        <translation>Open a show&apos;s manifest (.toml)</translation>
    </message>
    <message>
        <source>Reprendre un diaporama déjà construit : ses images et son manifeste sont écrits dans un dossier</source>
        <translation>Take up a show already built: its pictures and its manifest are written into a folder</translation>
    </message>
    <message>
        <source>Écrire le diaporama : le lecteur et ses images en un seul programme</source>
        <translation>Write the show: the player and its pictures in one program</translation>
    </message>
    <message>
        <source>Lire le diaporama en plein écran depuis la diapositive choisie, comme le lecteur le lit</source>
        <translation>Play the show full screen from the chosen slide, as the player plays it</translation>
    </message>
    <message>
        <source>Sans titre</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>Enregistrer les modifications de « %1 » ?</source>
        <translation>Save the changes to “%1”?</translation>
    </message>
    <message>
        <source>Impossible d&apos;ouvrir « %1 » :
%2</source>
        <translation>Cannot open “%1”:
%2</translation>
    </message>
    <message>
        <source>« %1 » est ouvert, mais il a des fautes ; les valeurs en faute sont laissées de côté :
%2</source>
        <translation>“%1” is open, but it has faults; the faulty values are left out:
%2</translation>
    </message>
    <message>
        <source>diaporama.toml</source>
        <translation>show.toml</translation>
    </message>
    <message>
        <source>Le diaporama n&apos;a pas été enregistré :
%1</source>
        <translation>The show was not saved:
%1</translation>
    </message>
    <message>
        <source>Enregistré dans %1</source>
        <translation>Saved in %1</translation>
    </message>
    <message>
        <source>« %1 » n&apos;existe plus : il est retiré des fichiers récents.</source>
        <translation>“%1” no longer exists: it is taken off the recent files.</translation>
    </message>
    <message>
        <source>Impossible d&apos;ouvrir le diaporama « %1 » :
%2</source>
        <translation>Cannot open the show “%1”:
%2</translation>
    </message>
    <message>
        <source>La diapositive %1 n&apos;a pas d&apos;image : elle est omise.</source>
        <translation>Slide %1 has no picture: it is left out.</translation>
    </message>
    <message>
        <source>La musique « %1 » n&apos;est pas à côté du diaporama : le manifeste la nomme, mettez-la dans %2.</source>
        <translation>The music “%1” is not beside the show: the manifest names it, put it in %2.</translation>
    </message>
    <message>
        <source>Le diaporama ne peut pas être construit :
%1</source>
        <translation>The show cannot be built:
%1</translation>
    </message>
    <message>
        <source>Le lecteur pellumo est introuvable : %1</source>
        <translation>The pellumo player cannot be found: %1</translation>
    </message>
    <message>
        <source>diaporama</source>
        <translation>show</translation>
    </message>
    <message>
        <source>Une autre musique nommée « %1 » est déjà à côté du diaporama. La remplacer par celle du diaporama ?</source>
        <translation>Other music named “%1” is already beside the show. Replace it with the show&apos;s music?</translation>
    </message>
    <message>
        <source>Le diaporama ne peut pas être écrit :
%1</source>
        <translation>The show cannot be written:
%1</translation>
    </message>
    <message>
        <source>Construction du diaporama…</source>
        <translation>Building the show…</translation>
    </message>
    <message>
        <source>Construction annulée : rien n&apos;a été écrit.</source>
        <translation>Build cancelled: nothing was written.</translation>
    </message>
    <message>
        <source>Le diaporama n&apos;a pas été construit :
%1</source>
        <translation>The show was not built:
%1</translation>
    </message>
    <message>
        <source>%1 : 1 diapositive, %2</source>
        <translation>%1: 1 slide, %2</translation>
    </message>
    <message>
        <source>%1 : %2 diapositives, %3</source>
        <translation>%1: %2 slides, %3</translation>
    </message>
    <message>
        <source>, musique « %1 » copiée à côté</source>
        <translation>, music “%1” copied beside it</translation>
    </message>
    <message>
        <source>, musique « %1 » déjà à côté</source>
        <translation>, music “%1” already beside it</translation>
    </message>
    <message>
        <source>Le lecteur des diaporamas portables (pellumo-portable) est introuvable près de %1</source>
        <translation>The player of portable shows (pellumo-portable) cannot be found near %1</translation>
    </message>
    <message>
        <source>, portable</source>
        <translation>, portable</translation>
    </message>
    <message>
        <source>, musique « %1 » emportée</source>
        <translation>, music “%1” carried inside</translation>
    </message>
    <message>
        <source>Le diaporama n&apos;a encore aucune diapositive.</source>
        <translation>The show has no slides yet.</translation>
    </message>
    <message>
        <source>Le diaporama ne peut pas être lu :
%1</source>
        <translation>The show cannot be played:
%1</translation>
    </message>
    <message>
        <source>Impossible de créer un dossier temporaire : %1</source>
        <translation>Cannot create a temporary folder: %1</translation>
    </message>
    <message>
        <source>Préparation de la lecture…</source>
        <translation>Getting the show ready to play…</translation>
    </message>
    <message>
        <source>Le lecteur n&apos;a pas pu démarrer : %1</source>
        <translation>The player could not start: %1</translation>
    </message>
    <message>
        <source>Extraction des images du diaporama…</source>
        <translation>Extracting the show&apos;s pictures…</translation>
    </message>
    <message>
        <source>Extraction annulée : rien n&apos;a été écrit.</source>
        <translation>Extraction cancelled: nothing was written.</translation>
    </message>
</context>
<context>
    <name>pellumo::MainWindow</name>
    <message>
        <source>&amp;Quitter</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>&amp;Fichier</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>Diapositives</source>
        <translation>Slides</translation>
    </message>
    <message>
        <source>Diapositive</source>
        <translation>Slide</translation>
    </message>
    <message>
        <source>Diaporama</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>Réglages</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>&amp;Édition</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>Annuler</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>Rétablir</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>&amp;Diaporama</source>
        <translation>&amp;Show</translation>
    </message>
    <message>
        <source>&amp;Affichage</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>Taille de l&apos;écran de l&apos;aperçu</source>
        <translation>Preview Screen Size</translation>
    </message>
    <message>
        <source>Sans titre</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>%1[*] — Pellumo Studio</source>
        <translation>%1[*] — Pellumo Studio</translation>
    </message>
</context>
<context>
    <name>pellumo::PreviewController</name>
    <message>
        <source>Aucune image dans le dossier %1</source>
        <translation>No picture in the folder %1</translation>
    </message>
</context>
<context>
    <name>pellumo::RecentManifests</name>
    <message>
        <source>Fichiers &amp;récents</source>
        <translation>&amp;Recent Files</translation>
    </message>
</context>
<context>
    <name>pellumo::ShowSettingsPanel</name>
    <message>
        <source>Choisir…</source>
        <translation>Choose…</translation>
    </message>
    <message>
        <source>Aucune</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Reprendre au début après la dernière diapositive</source>
        <translation>Start again after the last slide</translation>
    </message>
    <message>
        <source>Permettre la copie des images</source>
        <translation>Allow copying the pictures</translation>
    </message>
    <message>
        <source>Redimensionnement fin</source>
        <translation>Fine resizing</translation>
    </message>
    <message>
        <source>Musique du diaporama</source>
        <translation>Music of the Show</translation>
    </message>
    <message>
        <source>Musique (*.wav *.ogg *.mp3 *.flac);;Tous les fichiers (*)</source>
        <translation>Music (*.wav *.ogg *.mp3 *.flac);;All files (*)</translation>
    </message>
    <message>
        <source>(aucune)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>Qualité JPEG des images qui doivent être encodées</source>
        <translation>JPEG quality of the pictures that must be encoded</translation>
    </message>
    <message>
        <source>Musique</source>
        <translation>Music</translation>
    </message>
    <message>
        <source>Qualité JPEG</source>
        <translation>JPEG quality</translation>
    </message>
    <message>
        <source>Sans musique</source>
        <translation>No Music</translation>
    </message>
    <message>
        <source>En boucle</source>
        <translation>Loop</translation>
    </message>
    <message>
        <source>Copie permise</source>
        <translation>Copy Allowed</translation>
    </message>
    <message>
        <source>Écouter</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>Écouter la musique du diaporama</source>
        <translation>Listen to the show&apos;s music</translation>
    </message>
    <message>
        <source>Arrêter</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Convertir en sRGB les photos qui ont un profil de couleur</source>
        <translation>Convert photos with a colour profile to sRGB</translation>
    </message>
    <message>
        <source>Le lecteur montre les couleurs telles qu&apos;elles sont stockées : une photo en Display P3 ou en Adobe RGB n&apos;a ses vraies couleurs que convertie en sRGB</source>
        <translation>The player shows colours as they are stored: a photo in Display P3 or Adobe RGB only has its true colours once converted to sRGB</translation>
    </message>
    <message>
        <source>Gestion des couleurs</source>
        <translation>Colour Management</translation>
    </message>
    <message>
        <source>Diaporama portable : il se lit sur un ordinateur sans Pellumo</source>
        <translation>Portable show: it plays on a computer without Pellumo</translation>
    </message>
    <message>
        <source>Le diaporama emporte le lecteur, ses bibliothèques et sa musique (une quarantaine de Mo de plus) et se lit sur tout Linux x86-64 récent (glibc 2.36 ou plus), avec X11 ou Wayland</source>
        <translation>The show carries the player, its libraries and its music (some forty MB more) and plays on any recent x86-64 Linux (glibc 2.36 or newer), with X11 or Wayland</translation>
    </message>
    <message>
        <source>Diaporama portable</source>
        <translation>Portable Show</translation>
    </message>
</context>
<context>
    <name>pellumo::SlideListModel</name>
    <message>
        <source>Dossier : une diapositive par image qu&apos;il contient</source>
        <translation>Folder: one slide for each picture in it</translation>
    </message>
    <message>
        <source>Légende : %1</source>
        <translation>Caption: %1</translation>
    </message>
    <message>
        <source>Pas d&apos;aperçu : %1</source>
        <translation>No preview: %1</translation>
    </message>
    <message>
        <source>%1 · %2 s · %3 %4</source>
        <translation>%1 · %2 s · %3 %4</translation>
    </message>
    <message>
        <source>Aucune image dans le dossier « %1 ».</source>
        <translation>No pictures in the folder “%1”.</translation>
    </message>
    <message>
        <source>« %1 » n&apos;est pas une image : laissé de côté.</source>
        <translation>“%1” is not a picture: left out.</translation>
    </message>
    <message>
        <source>Ce ne sont pas des images, laissés de côté : %1.</source>
        <translation>Not pictures, left out: %1.</translation>
    </message>
    <message>
        <source>Ajouter une image</source>
        <translation>Add Picture</translation>
    </message>
    <message numerus="yes">
        <source>Ajouter %n images</source>
        <translation>
            <numerusform>Add %n Picture</numerusform>
            <numerusform>Add %n Pictures</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>pellumo::SlidePanel</name>
    <message>
        <source>Cadre</source>
        <translation>Frame</translation>
    </message>
    <message>
        <source> s</source>
        <translation> s</translation>
    </message>
    <message>
        <source>Durée</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>Durée pour toutes les diapositives</source>
        <translation>Duration for All Slides</translation>
    </message>
    <message>
        <source>Transition</source>
        <translation>Transition</translation>
    </message>
    <message>
        <source>Transition pour toutes les diapositives</source>
        <translation>Transition for All Slides</translation>
    </message>
    <message>
        <source>Légende</source>
        <translation>Caption</translation>
    </message>
    <message>
        <source>Légende pour toutes les diapositives</source>
        <translation>Caption for All Slides</translation>
    </message>
    <message>
        <source>Couleur de la légende</source>
        <translation>Caption colour</translation>
    </message>
    <message>
        <source>Couleur de la légende pour toutes les diapositives</source>
        <translation>Caption Colour for All Slides</translation>
    </message>
    <message>
        <source>Couleur du fond</source>
        <translation>Background colour</translation>
    </message>
    <message>
        <source>Couleur du fond pour toutes les diapositives</source>
        <translation>Background Colour for All Slides</translation>
    </message>
    <message>
        <source>Cadre pour toutes les diapositives</source>
        <translation>Frame for All Slides</translation>
    </message>
    <message>
        <source>Couleur du cadre</source>
        <translation>Frame colour</translation>
    </message>
    <message>
        <source>Partout</source>
        <translation>All</translation>
    </message>
    <message>
        <source>Appliquer à toutes les diapositives</source>
        <translation>Apply to all slides</translation>
    </message>
    <message>
        <source>(légendes différentes)</source>
        <translation>(different captions)</translation>
    </message>
</context>
<context>
    <name>pellumo::SlideStrip</name>
    <message>
        <source>Images (%1)</source>
        <translation>Pictures (%1)</translation>
    </message>
    <message>
        <source>Tous les fichiers (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>Ajouter des images…</source>
        <translation>Add Pictures…</translation>
    </message>
    <message>
        <source>Ajouter un dossier…</source>
        <translation>Add Folder…</translation>
    </message>
    <message>
        <source>Supprimer</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Dupliquer</source>
        <translation>Duplicate</translation>
    </message>
    <message>
        <source>Trier les dossiers par date de prise de vue</source>
        <translation>Sort Folders by Date Taken</translation>
    </message>
    <message>
        <source>Ajouter des images</source>
        <translation>Add Pictures</translation>
    </message>
    <message>
        <source>Ajouter un dossier</source>
        <translation>Add Folder</translation>
    </message>
</context>
<context>
    <name>pellumo::StudioDocument</name>
    <message>
        <source>Supprimer la diapositive</source>
        <translation>Remove Slide</translation>
    </message>
    <message numerus="yes">
        <source>Supprimer %n diapositives</source>
        <translation>
            <numerusform>Remove %n Slide</numerusform>
            <numerusform>Remove %n Slides</numerusform>
        </translation>
    </message>
    <message>
        <source>Dupliquer la diapositive</source>
        <translation>Duplicate Slide</translation>
    </message>
    <message numerus="yes">
        <source>Dupliquer %n diapositives</source>
        <translation>
            <numerusform>Duplicate %n Slide</numerusform>
            <numerusform>Duplicate %n Slides</numerusform>
        </translation>
    </message>
    <message>
        <source>Déplacer la diapositive</source>
        <translation>Move Slide</translation>
    </message>
    <message numerus="yes">
        <source>Déplacer %n diapositives</source>
        <translation>
            <numerusform>Move %n Slide</numerusform>
            <numerusform>Move %n Slides</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>pellumo::ThumbnailLoader</name>
    <message>
        <source>L&apos;image n&apos;a aucun pixel.</source>
        <translation>The picture has no pixels.</translation>
    </message>
</context>
<context>
    <name>pellumo::VideoExportController</name>
    <message>
        <source>Exporter une &amp;vidéo…</source>
        <translation>Export a &amp;Video…</translation>
    </message>
    <message>
        <source>Filmer le diaporama tel que le lecteur le montre dans un fichier vidéo (MP4 ou WebM)</source>
        <translation>Film the show as the player shows it into a video file (MP4 or WebM)</translation>
    </message>
    <message>
        <source>Le diaporama n&apos;a encore aucune diapositive.</source>
        <translation>The show has no slides yet.</translation>
    </message>
    <message>
        <source>diaporama.mp4</source>
        <translation>slideshow.mp4</translation>
    </message>
    <message>
        <source>La vidéo ne peut pas être écrite :
%1</source>
        <translation>The video cannot be written:
%1</translation>
    </message>
    <message>
        <source>Export de la vidéo…</source>
        <translation>Exporting the video…</translation>
    </message>
    <message>
        <source>Export annulé : rien n&apos;a été écrit.</source>
        <translation>Export cancelled: nothing was written.</translation>
    </message>
    <message>
        <source>La vidéo n&apos;a pas été écrite :
%1</source>
        <translation>The video was not written:
%1</translation>
    </message>
    <message>
        <source>%1 : %2 × %3, %4 images/s, %5, %6, %7</source>
        <translation>%1: %2 × %3, %4 fps, %5, %6, %7</translation>
    </message>
    <message>
        <source>avec musique</source>
        <translation>with music</translation>
    </message>
    <message>
        <source>sans son</source>
        <translation>without sound</translation>
    </message>
</context>
<context>
    <name>pellumo::VideoExportDialog</name>
    <message>
        <source> images/s</source>
        <translation> fps</translation>
    </message>
    <message>
        <source> s</source>
        <translation> s</translation>
    </message>
    <message>
        <source>Exporter une vidéo</source>
        <translation>Export a Video</translation>
    </message>
    <message>
        <source>%1 × %2</source>
        <translation>%1 × %2</translation>
    </message>
    <message>
        <source>De 1 (le fichier le plus petit) à 100 (la meilleure image)</source>
        <translation>From 1 (the smallest file) to 100 (the best picture)</translation>
    </message>
    <message>
        <source>Le temps que dure dans la vidéo une diapositive où le lecteur s&apos;arrête (durée 0)</source>
        <translation>How long a slide on which the player rests (duration 0) lasts in the video</translation>
    </message>
    <message>
        <source>Exporter…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>Annuler</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Taille de l&apos;écran</source>
        <translation>Screen size</translation>
    </message>
    <message>
        <source>Images par seconde</source>
        <translation>Frames per second</translation>
    </message>
    <message>
        <source>Qualité</source>
        <translation>Quality</translation>
    </message>
    <message>
        <source>Diapositive au repos</source>
        <translation>Resting slide</translation>
    </message>
</context>
</TS>
