// Check boxes of a sheet. A form control is a <control> of the sheet (its name, its shape id)
// whose relationship leads to a ctrlProp part holding the state and the linked cell; older
// files give the name to the drawing only, or keep the box in the legacy VML drawing alone.
#include <cstring>
#include <set>

#include "platform/excel/Workbook.h"
#include "platform/excel/WorkbookImpl.h"
#include "platform/ooxml/OoxmlError.h"
#include "platform/ooxml/XmlPart.h"

namespace tarovent::excel {

namespace {

const char* const kActiveXCheckBox = "{8BD21D40-EC42-11CE-9E0D-00AA006002F3}";

bool readPart(const ooxml::Package& package, const QString& part, pugi::xml_document& doc) {
  if (part.isEmpty() || !package.contains(part)) return false;
  try {
    ooxml::parseXml(doc, package.read(part), part);
    return true;
  } catch (const ooxml::OoxmlError&) {
    return false;  // a broken drawing costs its boxes, not the workbook
  }
}

template <typename F>
void forEachElement(const pugi::xml_node& node, const char* local, F&& f) {
  for (pugi::xml_node child : node.children()) {
    if (child.type() != pugi::node_element) continue;
    if (isNamed(child, local))
      f(child);
    else
      forEachElement(child, local, f);
  }
}

// Shape names of a DrawingML drawing, by shape id.
std::map<int, QString> drawingNames(const pugi::xml_node& root) {
  std::map<int, QString> names;
  forEachElement(root, "cNvPr", [&](pugi::xml_node n) {
    names[n.attribute("id").as_int()] = QString::fromUtf8(n.attribute("name").value());
  });
  return names;
}

int shapeNumber(const char* spid) {
  const char* s = std::strstr(spid, "_s");
  return s ? std::atoi(s + 2) : 0;
}

}  // namespace

std::vector<CheckBox> Workbook::checkBoxes(int sheet) const {
  d->checkSheet(sheet);
  std::vector<CheckBox> boxes;
  const QString& part = d->sheets[size_t(sheet)].part;
  if (part.isEmpty()) return boxes;
  pugi::xml_document sheetXml;
  const auto edited = d->editedSheets.find(sheet);
  const pugi::xml_document* doc = &sheetXml;
  if (edited != d->editedSheets.end())
    doc = edited->second.get();
  else
    ooxml::parseXml(sheetXml, d->package.read(part), part);
  const pugi::xml_node root = doc->document_element();
  const ooxml::Relationships rels = d->package.relationships(part);

  std::map<int, QString> shapeNames;
  if (const ooxml::Relationship* rel = rels.byId(relationshipId(childNamed(root, "drawing")))) {
    pugi::xml_document drawing;
    if (readPart(d->package, rels.resolve(*rel), drawing))
      shapeNames = drawingNames(drawing.document_element());
  }

  std::set<int> seen;
  forEachElement(root, "control", [&](pugi::xml_node control) {
    const int shapeId = control.attribute("shapeId").as_int();
    if (shapeId && seen.count(shapeId)) return;  // the Choice and Fallback of one control
    const ooxml::Relationship* rel = rels.byId(relationshipId(control));
    if (!rel) return;
    pugi::xml_document props;
    if (!readPart(d->package, rels.resolve(*rel), props)) return;
    const pugi::xml_node pr = props.document_element();
    CheckBox box;
    if (isNamed(pr, "formControlPr")) {
      if (qstricmp(pr.attribute("objectType").value(), "CheckBox") != 0) return;
      box.checked = std::strcmp(pr.attribute("checked").value(), "Checked") == 0;
      box.linkedCell = QString::fromUtf8(pr.attribute("fmlaLink").value());
    } else if (isNamed(pr, "ocx")) {
      if (qstricmp(pr.attribute("ax:classid").value(), kActiveXCheckBox) != 0) return;
      forEachElement(pr, "ocxPr", [&](pugi::xml_node p) {
        if (std::strcmp(p.attribute("ax:name").value(), "Value") == 0)
          box.checked = std::strcmp(p.attribute("ax:value").value(), "1") == 0;
      });
    } else {
      return;
    }
    box.name = QString::fromUtf8(control.attribute("name").value());
    if (box.name.isEmpty()) box.name = shapeNames[shapeId];
    seen.insert(shapeId);
    boxes.push_back(box);
  });

  // Boxes that only the legacy drawing knows.
  if (const ooxml::Relationship* rel =
          rels.byId(relationshipId(childNamed(root, "legacyDrawing")))) {
    pugi::xml_document vml;
    if (readPart(d->package, rels.resolve(*rel), vml)) {
      forEachElement(vml.document_element(), "shape", [&](pugi::xml_node shape) {
        const pugi::xml_node data = childNamed(shape, "ClientData");
        if (!data || qstricmp(data.attribute("ObjectType").value(), "Checkbox") != 0) return;
        const int shapeId = shapeNumber(shape.attribute("o:spid").value()[0]
                                            ? shape.attribute("o:spid").value()
                                            : shape.attribute("id").value());
        if (shapeId && seen.count(shapeId)) return;
        CheckBox box;
        const QString id = QString::fromUtf8(shape.attribute("id").value());
        box.name = shapeNames.count(shapeId) ? shapeNames[shapeId]
                   : id.startsWith(QLatin1String("_x0000_")) ? QString()
                                                             : id;
        const pugi::xml_node checked = childNamed(data, "Checked");
        box.checked = checked && std::strcmp(checked.child_value(), "1") == 0;
        box.linkedCell = QString::fromUtf8(childNamed(data, "FmlaLink").child_value()).trimmed();
        seen.insert(shapeId);
        boxes.push_back(box);
      });
    }
  }
  return boxes;
}

}  // namespace tarovent::excel
