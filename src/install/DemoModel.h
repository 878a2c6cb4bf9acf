#pragma once

#include <QDate>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include "DemoDocuments.h"
#include "DemoFamily.h"

// The demo family in memory, every random choice already made: the database writers only
// copy it out.
namespace tarovent::install::demo {

struct Contact {
  QString name, function, tel, mobile, mail;
};

struct Vehicle {
  QString immat, make, serial;
  int meter = 0;
};

struct Visit {
  QDate planned, done;  // done: invalid while not made
  QString subject, rep, contact;
};

struct Client {
  QString code, name, adr1, adr2, postcode, town, country, category, terms, mode, tel, fax, mail;
  QString workshop, vatNumber;
  double discount = 0, labourRate = 0;
  bool validated = false;
  QList<Contact> contacts;
  QList<Vehicle> vehicles;
  QList<Visit> visits;
};

struct PriceBreak {
  double bound, pv1, pv2;
};

struct Article {
  QString code, label, description, type, subType, unit, discountClass, supplier;
  double pmp = 0, overhead = 0, pv1 = 0, pv2 = 0, floor = 0, weight = 0, launch = 1;
  double available = 0;
  QList<PriceBreak> breaks;
  double cost() const { return pmp * (1 + overhead / 100); }
};

struct Link {
  int parent, child;
  double quantity;
  QDate from, to;
};

struct Operation {
  int article, number, section;
  QString label, subcontractor;
  double setup, perPiece;
};

struct Tariff {
  QString supplier, reference, article, label, unit;
  double purchase, sale;
  QDate updated;
};

struct Company {
  QString code, name;
  bool inactive;
  int last = 0;
};

struct Rep {
  QString code, name, tel, mail;
};

struct Version {
  int seq = 0;
  QDate date, reminder;  // reminder: invalid when none
  double amount = 0, hours = 0;
  QString note;
  QList<composition::QuoteLine> lines;
};

struct Dossier {
  QString company;
  int number = 0;
  int client = 0;  // index in clients
  int type = 0;    // index in kTypes
  QString rep, contact, cm, operation, subType, workshop, wishedDate;
  int vehicle = -1;  // index in the client's vehicles
  QList<Version> versions;
};

// An order of the commercial database taken from a quote, with what went into it.
struct Affair {
  QString number, quote, client, type;
  QDate created;
  bool archived = false, finished = false;
  double quantity = 0;
  struct Invoice {
    QString number;
    QDate date;
    double amount;
  };
  QList<Invoice> invoices;  // a pro-forma's number begins with "PF-"
  struct Hours {
    QString section;
    QDate date;
    double hours;
  };
  QList<Hours> hours;
  struct Issue {
    QString article;
    QDate date;
    double quantity, price;
  };
  QList<Issue> issues;
  QString order, orderSupplier;
  QDate orderDate;
  struct OrderLine {
    QString reference;
    double quantity, price, discount;
  };
  QList<OrderLine> orderLines;
};

struct DemoModel {
  QDate today;
  int manufactured = 0;
  QList<Company> companies;
  QList<Client> clients;
  QList<Rep> reps;
  QList<Article> articles;
  QList<Link> links;
  QList<Operation> operations;
  QList<Tariff> tariffs;
  QList<Dossier> dossiers;
  QList<Affair> affairs;
  QList<DemoQuote> documents;  // the versions that get a document
  int versionCount = 0;
};

// The family of the given size; documents use the quote types' templates of `templateFolder`.
DemoModel buildDemoModel(DemoSize size, const QDate& today, const QString& templateFolder);

}  // namespace tarovent::install::demo
