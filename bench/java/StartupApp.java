import java.util.*; import java.util.stream.*; import java.time.*; import java.util.regex.*;
import javax.xml.parsers.*; import org.w3c.dom.*; import java.io.*;
public class StartupApp { public static void main(String[] a) throws Exception {
  DocumentBuilder b = DocumentBuilderFactory.newInstance().newDocumentBuilder();
  Document d = b.parse(new ByteArrayInputStream("<r><i n='1'/><i n='2'/></r>".getBytes()));
  NodeList l = d.getElementsByTagName("i");
  System.out.println(IntStream.range(0, l.getLength()).mapToObj(i -> ((Element) l.item(i)).getAttribute("n")).collect(Collectors.joining(",")));
  System.out.println(Pattern.compile("(\\d+)-(\\d+)").matcher("12-34").replaceAll("$2-$1"));
  System.out.println(LocalDate.of(2024, 2, 28).plusDays(2).getDayOfWeek());
}}
