// A client program nobody here wrote, run on the engine: Mono's System.Data.OracleClient, which
// loads libclntsh.so (here a link to libocilite.so) and drives it through the client interface.
// Every step compares what comes back with what was put in and throws on the first difference;
// each passed check prints one line. Exit status 0 only when every check passed.
//
// Usage: mono oracle_client_check.exe <database>
using System;
using System.Collections.Generic;
using System.Data;
using System.Data.OracleClient;
using System.Text;

static class Check
{
    static int passed;

    public static void That(bool condition, string what)
    {
        if (!condition) throw new Exception("FAILED: " + what);
        passed++;
        Console.WriteLine("ok - " + what);
    }

    public static void Equal(object expected, object actual, string what)
    {
        bool same = expected is byte[] && actual is byte[]
            ? Convert.ToBase64String((byte[])expected) == Convert.ToBase64String((byte[])actual)
            : Equals(expected, actual);
        if (!same)
            throw new Exception(string.Format("FAILED: {0}: expected <{1}> ({2}), got <{3}> ({4})",
                what, Show(expected), expected == null ? "null" : expected.GetType().Name,
                Show(actual), actual == null ? "null" : actual.GetType().Name));
        passed++;
        Console.WriteLine("ok - " + what);
    }

    public static void Throws(int code, string messageStart, Action action, string what)
    {
        try {
            action();
        } catch (OracleException e) {
            Equal(code, e.Code, what + ": error code");
            That(e.Message.StartsWith(messageStart), what + ": message starts with \"" + messageStart +
                 "\" (is \"" + e.Message.TrimEnd() + "\")");
            return;
        }
        throw new Exception("FAILED: " + what + ": no OracleException");
    }

    static string Show(object v)
    {
        if (v is byte[]) return BitConverter.ToString((byte[])v);
        string s = Convert.ToString(v);
        return s != null && s.Length > 60 ? s.Substring(0, 60) + "...(" + s.Length + ")" : s;
    }

    public static int Passed { get { return passed; } }
}

static class Program
{
    static string connectionString;

    static OracleConnection Open()
    {
        var c = new OracleConnection(connectionString);
        c.Open();
        return c;
    }

    static int Exec(OracleConnection c, string sql, params OracleParameter[] parameters)
    {
        using (var cmd = c.CreateCommand()) {
            cmd.CommandText = sql;
            foreach (var p in parameters) cmd.Parameters.Add(p);
            return cmd.ExecuteNonQuery();
        }
    }

    static object Scalar(OracleConnection c, string sql, OracleTransaction tx = null)
    {
        using (var cmd = c.CreateCommand()) {
            cmd.CommandText = sql;
            cmd.Transaction = tx;
            return cmd.ExecuteScalar();
        }
    }

    static OracleParameter Param(string name, OracleType type, object value)
    {
        var p = new OracleParameter(name, type);
        p.Value = value;
        return p;
    }

    static void ConnectionAndVersion()
    {
        using (var c = Open()) {
            Check.Equal(ConnectionState.Open, c.State, "connection opens");
            Check.That(c.ServerVersion.StartsWith("Oracle9i Enterprise Edition Release 9.2.0.1.0"),
                       "server version is the banner the database presents");
            c.Close();
            Check.Equal(ConnectionState.Closed, c.State, "connection closes");
        }
        using (var bad = new OracleConnection(connectionString.Replace("Password=manager", "Password=wrong")))
            Check.Throws(1017, "ORA-01017: invalid username/password; logon denied", () => bad.Open(),
                         "a wrong password");
    }

    static void Definitions(OracleConnection c)
    {
        Exec(c, "create table QM_TYPES (ID number(10) primary key, NAME varchar2(40), " +
                "PRICE number(15,2), RATIO number, BORN date, DATA raw(16), FIXED char(5), " +
                "MEMO varchar2(4000))");
        Check.Equal(1m, Scalar(c, "select count(*) from user_tables where table_name = 'QM_TYPES'"),
                    "create table shows in user_tables");
        Exec(c, "create table QM_GONE (A number)");
        Exec(c, "drop table QM_GONE");
        Check.Throws(942, "ORA-00942: table or view does not exist",
                     () => Scalar(c, "select count(*) from QM_GONE"), "a dropped table");
    }

    static void ParametersOfEveryType(OracleConnection c)
    {
        var born = new DateTime(2003, 3, 15, 10, 20, 30);
        var data = new byte[] { 0x00, 0x01, 0x7F, 0x80, 0xFF };
        string unicode = "Grüße, Привет";
        string memo = new StringBuilder().Append('x', 3992).Append("Ende ÄÖÜ").ToString();
        Check.Equal(1, Exec(c, "insert into QM_TYPES values (:id, :name, :price, :ratio, :born, :data, :fixed, :memo)",
                            Param("id", OracleType.Int32, 1),
                            Param("name", OracleType.VarChar, unicode),
                            Param("price", OracleType.Number, 1234567890123.45m),
                            Param("ratio", OracleType.Double, 0.25),
                            Param("born", OracleType.DateTime, born),
                            Param("data", OracleType.Raw, data),
                            Param("fixed", OracleType.Char, "ab"),
                            Param("memo", OracleType.VarChar, memo)),
                    "insert with a parameter of every type");
        // NULL through every kind of parameter; the empty text is NULL too.
        Exec(c, "insert into QM_TYPES values (:id, :name, :price, :ratio, :born, null, :fixed, :memo)",
             Param("id", OracleType.Number, 2m),
             Param("name", OracleType.VarChar, DBNull.Value),
             Param("price", OracleType.Number, DBNull.Value),
             Param("ratio", OracleType.Double, DBNull.Value),
             Param("born", OracleType.DateTime, DBNull.Value),
             Param("fixed", OracleType.Char, DBNull.Value),
             Param("memo", OracleType.VarChar, ""));
        // A TIMESTAMP parameter (a datetime descriptor) into a DATE column.
        Exec(c, "insert into QM_TYPES (ID, BORN) values (3, :born)",
             Param("born", OracleType.Timestamp, new DateTime(1899, 12, 31, 23, 59, 59)));
        // Negative and small numbers, and the edges of a 15-digit decimal.
        Exec(c, "insert into QM_TYPES (ID, PRICE, RATIO) values (4, :price, :ratio)",
             Param("price", OracleType.Number, -9999999999999.99m),
             Param("ratio", OracleType.Double, -1.5e-7));

        using (var cmd = c.CreateCommand()) {
            cmd.CommandText = "select ID, NAME, PRICE, RATIO, BORN, DATA, FIXED, MEMO from QM_TYPES order by ID";
            using (var r = cmd.ExecuteReader()) {
                Check.That(r.Read(), "row 1 is there");
                Check.Equal(1m, r.GetValue(0), "integer parameter reads back as a decimal");
                Check.Equal(unicode, r.GetString(1), "text parameter with letters beyond ASCII");
                Check.Equal(1234567890123.45m, r.GetDecimal(2), "decimal parameter, 15 digits");
                Check.Equal(0.25m, r.GetDecimal(3), "double parameter");
                Check.Equal(born, r.GetDateTime(4), "DateTime parameter");
                Check.Equal(data, r.GetValue(5), "byte[] parameter into RAW");
                Check.Equal("ab   ", r.GetString(6), "CHAR(5) comes back blank-padded");
                Check.Equal(memo, r.GetString(7), "4000 characters of VARCHAR2(4000)");
                Check.That(r.Read(), "row 2 is there");
                for (int i = 1; i < 8; i++)
                    Check.That(r.IsDBNull(i), "NULL parameter reads back as NULL in " + r.GetName(i));
                Check.That(r.Read(), "row 3 is there");
                Check.Equal(new DateTime(1899, 12, 31, 23, 59, 59), r.GetDateTime(4),
                            "Timestamp parameter into a DATE column");
                Check.That(r.Read(), "row 4 is there");
                Check.Equal(-9999999999999.99m, r.GetDecimal(2), "negative 15-digit decimal");
                Check.Equal(-0.00000015m, r.GetDecimal(3), "small negative double");
                Check.That(!r.Read(), "no fifth row");
            }
        }
        Check.Equal("NUMBER", Describe(c, "PRICE"), "user_tab_columns describes PRICE");
    }

    static string Describe(OracleConnection c, string column)
    {
        return (string)Scalar(c, "select data_type from user_tab_columns where table_name = 'QM_TYPES' " +
                                 "and column_name = '" + column + "'");
    }

    static void ExactDecimals(OracleConnection c)
    {
        Exec(c, "create table QM_EXACT (ID number, N number)");
        // The provider reads NUMBER as text of at most 22 characters (its describe size), so wider
        // values are checked through TO_CHAR below.
        var values = new decimal[] {
            12345678901234567890m,  // 20 digits, as dBASE numeric fields hold
            -99999999999999999999m,
            -1234567890123456.78m,
        };
        for (int i = 0; i < values.Length; i++)
            Exec(c, "insert into QM_EXACT values (:id, :n)", Param("id", OracleType.Int32, i),
                 Param("n", OracleType.Number, values[i]));
        using (var cmd = c.CreateCommand()) {
            cmd.CommandText = "select N from QM_EXACT order by ID";
            using (var r = cmd.ExecuteReader())
                for (int i = 0; i < values.Length; i++) {
                    Check.That(r.Read(), "exact row " + i);
                    Check.Equal(values[i], r.GetDecimal(0), "exact decimal " + values[i]);
                }
        }
        // 38 digits exceed decimal: the text form carries them.
        Check.Equal("12345678901234567890123456789012345678",
                    Scalar(c, "select to_char(12345678901234567890123456789012345678) from dual"),
                    "38 significant digits survive");
        Exec(c, "drop table QM_EXACT");
    }

    static void ManyRowsThroughAReader(OracleConnection c)
    {
        Exec(c, "create table QM_MANY (N number(6) primary key, LABEL varchar2(20), AT date)");
        var start = new DateTime(2000, 1, 1);
        using (var tx = c.BeginTransaction())
        using (var cmd = c.CreateCommand()) {
            cmd.Transaction = tx;
            cmd.CommandText = "insert into QM_MANY values (:n, :label, :at)";
            var n = cmd.Parameters.Add("n", OracleType.Int32);
            var label = cmd.Parameters.Add("label", OracleType.VarChar);
            var at = cmd.Parameters.Add("at", OracleType.DateTime);
            for (int i = 1; i <= 1000; i++) {
                n.Value = i;
                label.Value = "row " + i;
                at.Value = start.AddDays(i).AddSeconds(i);
                cmd.ExecuteNonQuery();
            }
            tx.Commit();
        }
        Check.Equal(1000m, Scalar(c, "select count(*) from QM_MANY"), "1000 rows inserted");
        using (var cmd = c.CreateCommand()) {
            cmd.CommandText = "select N, LABEL, AT from QM_MANY order by N";
            using (var r = cmd.ExecuteReader()) {
                int i = 0;
                bool same = true;
                while (r.Read()) {
                    i++;
                    same &= r.GetDecimal(0) == i && r.GetString(1) == "row " + i &&
                            r.GetDateTime(2) == start.AddDays(i).AddSeconds(i);
                }
                Check.Equal(1000, i, "the reader reads 1000 rows");
                Check.That(same, "every row of the 1000 reads back as written");
            }
        }
        Check.Equal(500500m, Scalar(c, "select sum(N) from QM_MANY"), "sum over the rows");
    }

    static void DataAdapterFillsATable(OracleConnection c)
    {
        var table = new DataTable();
        using (var adapter = new OracleDataAdapter("select N, LABEL, AT from QM_MANY where N <= 250 order by N", c))
            Check.Equal(250, adapter.Fill(table), "the adapter fills 250 rows");
        Check.Equal(3, table.Columns.Count, "three columns");
        Check.Equal("LABEL", table.Columns[1].ColumnName, "column names come from the select list");
        Check.Equal(typeof(decimal), table.Columns[0].DataType, "NUMBER column as decimal");
        Check.Equal(typeof(DateTime), table.Columns[2].DataType, "DATE column as DateTime");
        Check.Equal("row 250", table.Rows[249]["LABEL"], "last row's text");
        Check.Equal(new DateTime(2000, 1, 1).AddDays(17).AddSeconds(17), table.Rows[16]["AT"], "a row's date");
    }

    static void TransactionsSeenFromASecondConnection(OracleConnection c)
    {
        Exec(c, "create table QM_TX (N number)");
        using (var other = Open()) {
            var tx = c.BeginTransaction();
            using (var cmd = c.CreateCommand()) {
                cmd.Transaction = tx;
                cmd.CommandText = "insert into QM_TX values (1)";
                cmd.ExecuteNonQuery();
            }
            Check.Equal(1m, Scalar(c, "select count(*) from QM_TX", tx), "the writer sees its open work");
            Check.Equal(0m, Scalar(other, "select count(*) from QM_TX"), "a second connection does not");
            tx.Commit();
            Check.Equal(1m, Scalar(other, "select count(*) from QM_TX"), "after commit the second connection sees it");

            tx = c.BeginTransaction();
            using (var cmd = c.CreateCommand()) {
                cmd.Transaction = tx;
                cmd.CommandText = "insert into QM_TX values (2)";
                cmd.ExecuteNonQuery();
            }
            tx.Rollback();
            Check.Equal(1m, Scalar(c, "select count(*) from QM_TX"), "rollback drops the insert");
            Check.Equal(1m, Scalar(other, "select count(*) from QM_TX"), "the second connection never saw it");
        }
    }

    static void ErrorsCarryOracleCodes(OracleConnection c)
    {
        Check.Throws(942, "ORA-00942: table or view does not exist",
                     () => Scalar(c, "select * from QM_NOSUCH"), "an unknown table");
        Check.Throws(1, "ORA-00001: unique constraint (SYSTEM.",
                     () => Exec(c, "insert into QM_MANY (N) values (1)"), "a duplicate key");
        Check.Throws(1722, "ORA-01722: invalid number",
                     () => Exec(c, "insert into QM_MANY (N) values (:n)", Param("n", OracleType.VarChar, "x1")),
                     "text that is not a number");
        Check.Throws(12899, "ORA-12899: value too large for column",
                     () => Exec(c, "insert into QM_MANY (N, LABEL) values (5000, :l)",
                                Param("l", OracleType.VarChar, new string('y', 21))),
                     "text longer than its column");
        Check.Equal(1000m, Scalar(c, "select count(*) from QM_MANY"), "failed statements changed nothing");
    }

    static void LongText(OracleConnection c)
    {
        Exec(c, "create table QM_LONG (ID number, BODY long)");
        var sb = new StringBuilder();
        for (int i = 0; i < 1200; i++) sb.Append("line ").Append(i).Append('\n');
        string body = sb.ToString();
        Exec(c, "insert into QM_LONG values (1, :body)", Param("body", OracleType.LongVarChar, body));
        using (var cmd = c.CreateCommand()) {
            cmd.CommandText = "select BODY from QM_LONG";
            using (var r = cmd.ExecuteReader()) {
                Check.That(r.Read(), "the LONG row is there");
                Check.Equal(body, r.GetString(0), "a LONG value of " + body.Length + " characters");
            }
        }
    }

    static void LobColumns(OracleConnection c)
    {
        Exec(c, "create table QM_LOB (ID number, C clob, B blob)");
        string text = "CLOB text: Grüße " + new string('z', 5000);
        var bytes = new byte[3000];
        for (int i = 0; i < bytes.Length; i++) bytes[i] = (byte)(i * 7);
        Exec(c, "insert into QM_LOB values (1, :c, :b)", Param("c", OracleType.Clob, text),
             Param("b", OracleType.Blob, bytes));
        using (var cmd = c.CreateCommand()) {
            cmd.CommandText = "select C, B from QM_LOB";
            using (var r = cmd.ExecuteReader()) {
                Check.That(r.Read(), "the LOB row is there");
                var clob = r.GetOracleLob(0);
                Check.Equal((long)text.Length * 2, clob.Length, "CLOB length in bytes of UTF-16");
                Check.Equal(text, clob.Value, "CLOB value");
                Check.Equal(bytes, r.GetOracleLob(1).Value, "BLOB value");
            }
        }
    }

    static int Main(string[] args)
    {
        if (args.Length < 1) {
            Console.Error.WriteLine("usage: oracle_client_check.exe <database>");
            return 2;
        }
        connectionString = "Data Source=" + args[0] + ";User ID=system;Password=manager;Pooling=false";
        try {
            ConnectionAndVersion();
            using (var c = Open()) {
                Definitions(c);
                ParametersOfEveryType(c);
                ExactDecimals(c);
                ManyRowsThroughAReader(c);
                DataAdapterFillsATable(c);
                TransactionsSeenFromASecondConnection(c);
                ErrorsCarryOracleCodes(c);
                LongText(c);
                LobColumns(c);
            }
        } catch (Exception e) {
            Console.WriteLine(e.Message.StartsWith("FAILED") ? e.Message : "FAILED: " + e);
            Console.WriteLine("oracle_client_check: failed after {0} checks", Check.Passed);
            return 1;
        }
        Console.WriteLine("oracle_client_check: all {0} checks passed", Check.Passed);
        return 0;
    }
}
