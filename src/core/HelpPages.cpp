#include "HelpPages.h"

#include <QFileInfo>

#include "ProcessState.h"

namespace tarovent::core {

QString Fichier_Aide(ProcessState& state, const QString& programName) {
  const QString file = state.programFolder + programName + QStringLiteral(".html");
  state.helpFile = !state.programFolder.isEmpty() && QFileInfo(file).isFile() ? file : QString();
  return state.helpFile;
}

const QString& helpPages() {
  static const QString html = QString::fromUtf8(R"html(<!DOCTYPE html>
<html lang="fr"><head><meta charset="utf-8"><title>Aide de Tarovent</title></head>
<body>
<h1>Tarovent &mdash; devis et chiffrages</h1>
<p>Tarovent établit les devis de votre entreprise : dossiers, versions de devis, documents,
relances et statistiques. Chaque fenêtre s'ouvre depuis le menu principal ; la touche
<b>F1</b> ouvre cette aide à la rubrique de la fenêtre ou du champ actif.</p>
<ul>
<li><a href="#1000">Devis</a></li>
<li><a href="#2000">Clients</a></li>
<li><a href="#3000">Relances</a></li>
<li><a href="#4000">Rentabilité</a></li>
<li><a href="#5000">Tables</a></li>
<li><a href="#6000">Aide</a> &mdash; <a href="#6100">Saisie au clavier</a></li>
<li><a href="#7000">Quitter</a></li>
</ul>

<h2 id="1000">Devis</h2>
<p>Le menu <i>Devis</i> regroupe la gestion des dossiers et des devis et les factures
proforma.</p>
<h3 id="1100">Gestion des devis</h3>
<p>Créez un dossier pour un client, puis une ou plusieurs versions de devis. Chaque version
est un document de traitement de texte que la fenêtre de composition remplit et recalcule.
Le dossier reçoit son numéro au premier enregistrement.</p>
<h3 id="1200">Factures PROFORMA</h3>
<p>Établit une facture proforma à partir d'un devis, sur un modèle de document choisi par
son préfixe.</p>

<h2 id="2000">Clients</h2>
<h3 id="2100">Fiches clients</h3>
<p>Consultez et modifiez les clients et leurs contacts. Les boutons de la fiche suivent la
règle commune : ajouter, enregistrer (F10), annuler, supprimer, actualiser, liste, quitter.</p>
<h3 id="2200">Catégories</h3>
<p>Les catégories de clients servent aux sélections et aux statistiques.</p>

<h2 id="3000">Relances</h2>
<p>Liste les devis à relancer à leur date de relance et prépare le suivi des visites.</p>

<h2 id="4000">Rentabilité</h2>
<p>Statistiques des devis par période, client, catégorie ou commercial. Ce menu n'apparaît
qu'avec la gestion commerciale.</p>

<h2 id="5000">Tables</h2>
<p>Les tables de référence du programme.</p>
<h3 id="5100">Sociétés</h3>
<p>Les sociétés émettrices des devis et leur compteur de dossiers.</p>
<h3 id="5200">Options</h3>
<p>Les options chiffrées que l'on ajoute aux lignes de devis.</p>
<h3 id="5300">Types de devis</h3>
<p>Chaque type de devis a son modèle de document et ses modes de tarification des matières et
de la main d'oeuvre.</p>
<h3 id="5400">Paramètres généraux</h3>
<p>Réglages communs à tous les postes :</p>
<ul>
<li><b>Libellé devise principale</b> et <b>Libellé devise secondaire</b>, avec le
<b>coefficient de conversion</b> de la devise principale en devise secondaire : les montants
sont aussi affichés convertis.</li>
<li><b>TVA par défaut</b> : le taux proposé pour les nouveaux devis. Un taux modifié est pris
en compte au prochain démarrage du programme.</li>
<li><b>Chemin</b> et <b>nom du fichier des modèles de calcul Excel</b> : les classeurs
utilisés par l'import de lignes.</li>
<li><b>Tarification matières par défaut</b> : au prix de revient, ou au prix de vente
(Prix 1 ou Prix 2) ; <b>Tarification main d'oeuvre par défaut</b> : au prix de revient ou au
prix de vente. Ces choix sont repris par les nouveaux types de devis et les nouvelles
versions.</li>
</ul>
<p>Enregistrez avec le bouton <i>Enregistrer</i> ou la touche F10. En quittant avec une saisie
non enregistrée, le programme propose de l'enregistrer.</p>
<h3 id="5500">Personnalisation</h3>
<p>Définit jusqu'à quinze champs libres des dossiers : libellé, type et table de valeurs.</p>
<h3 id="5600">Créateur de macros</h3>
<p>Enregistre des suites de touches rejouées dans une fenêtre. Le signe * rend une macro
applicable à toutes les fenêtres.</p>

<h2 id="6000">Aide</h2>
<p>Le menu « ? » ouvre cette aide. La touche F1 l'ouvre à la rubrique du champ actif.</p>
<h3 id="6100">Saisie au clavier</h3>
<ul>
<li><b>Entrée</b> et <b>Flèche bas</b> passent au champ suivant, <b>Flèche haut</b> revient au
champ précédent.</li>
<li>En entrant dans une zone, son texte est sélectionné : la frappe le remplace.</li>
<li>Les zones numériques n'acceptent que les chiffres, l'espace, un signe en tête et un
séparateur décimal (la virgule ou le point sont tous deux compris).</li>
<li><b>F10</b> enregistre la fiche affichée. Tant qu'une saisie n'est ni enregistrée ni
annulée, les commandes qui quitteraient la fiche sont refusées.</li>
<li><b>F4</b> dans une zone de date ouvre le calendrier.</li>
</ul>
<h3 id="6200">Calendrier</h3>
<p>Choisissez un jour par un double clic, la touche Entrée ou le bouton OK ; Echap ferme le
calendrier sans rien changer.</p>

<h2 id="7000">Quitter</h2>
<p>Ferme le menu principal et toutes les fenêtres ouvertes du programme.</p>
</body></html>
)html");
  return html;
}

}  // namespace tarovent::core
